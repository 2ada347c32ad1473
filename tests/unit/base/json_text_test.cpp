#include "base/json_text.h"

#include <gtest/gtest.h>

#include "base/text_encoding.h"

namespace vantrel {
namespace {

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

}  // namespace
}  // namespace vantrel
