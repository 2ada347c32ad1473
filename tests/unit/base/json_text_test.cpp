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

// Whatever stands beside the record (a leftover or planted entry under the
// old temporary name, a link in place of the record) is neither written
// through nor in the way; no temporary file is left. A missing folder and a
// read-only record are the end-to-end tests'.
TEST(AtomicWrite, NothingBesideTheRecordIsWrittenThroughOrInTheWay) {
  namespace fs = std::filesystem;
  EXPECT_EQ(temporary_name_for(L"C:\\p\\r.json", 0xABCDEF0123456789u), L"C:\\p\\r.json.abcdef0123456789.tmp");
  for (const char* plant : {"leftover", "folder", "link", "record link"}) {
    TempDir dir;
    const fs::path outside = dir.fs() / "outside";
    const fs::path record = dir.fs() / "record.json";
    const fs::path old_temporary = dir.fs() / "record.json.tmp";
    vantrel::testing::write_file(outside, "theirs");
    std::error_code ec;
    const std::string kind = plant;
    if (kind == "leftover") vantrel::testing::write_file(old_temporary, "stale");
    if (kind == "folder") fs::create_directory(old_temporary);
    if (kind == "link") fs::create_symlink(outside, old_temporary, ec);
    if (kind == "record link") fs::create_symlink(outside, record, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    ASSERT_TRUE(write_file_atomic(dir.wide() + L"\\record.json", "new")) << plant;
    EXPECT_EQ(vantrel::testing::read_file(record), "new") << plant;
    EXPECT_FALSE(fs::is_symlink(record)) << plant;
    EXPECT_EQ(vantrel::testing::read_file(outside), "theirs") << plant;
    const auto entries = std::distance(fs::directory_iterator(dir.fs()), fs::directory_iterator());
    EXPECT_EQ(entries, kind == "record link" ? 2 : 3) << plant;  // no temporary file left
  }
}

}  // namespace
}  // namespace vantrel
