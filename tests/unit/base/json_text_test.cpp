#include "base/json_text.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/atomic_write.h"
#include "base/text_encoding.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

using vantrel::testing::TempDir;

TEST(JsonEscape, EveryByteClass) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Users", "C:\\\\Users"}, {"a\"b/c", "a\\\"b/c"}, {"\t\n\r", "\\t\\n\\r"}, {"\b\f", "\\u0008\\u000c"},
      {std::string("\x01\x1F\x7F\0", 4), "\\u0001\\u001f\x7F\\u0000"},
      {"dash \xE2\x80\x94 \xF0\x9F\x98\x80", "dash \xE2\x80\x94 \xF0\x9F\x98\x80"},
      // Not UTF-8: each maximal bad subsequence becomes U+FFFD.
      {"cut \xE2\x80", "cut \xEF\xBF\xBD"}, {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"}, {"a\x80\"", "a\xEF\xBF\xBD\\\""},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(json_escape(in), out) << ::testing::PrintToString(in);
}

TEST(Timestamp, Format) { EXPECT_EQ(format_utc_timestamp(2026, 3, 5, 7, 4, 9), "2026-03-05T07:04:09Z"); }

// A missing folder and a read-only record are the end-to-end tests'.
TEST(AtomicWrite, ALeftoverTemporaryFileIsReplaced) {
  TempDir dir;
  vantrel::testing::write_file(dir.fs() / "record.json.tmp", "stale leftover");
  ASSERT_TRUE(write_file_atomic(dir.wide() + L"\\record.json", "second"));
  EXPECT_EQ(vantrel::testing::read_file(dir.fs() / "record.json"), "second");
  EXPECT_FALSE(std::filesystem::exists(dir.fs() / "record.json.tmp"));
}

}  // namespace
}  // namespace vantrel
