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

// ASCII only: every other character as \uXXXX, a surrogate pair above U+FFFF.
TEST(JsonEscape, AsciiOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xC3\xA9\"", "a\\u00e9\\\""}, {"\xE2\x80\x94", "\\u2014"}, {"\xF0\x9F\x98\x80", "\\ud83d\\ude00"},
      {"\xC2\x9B\x7F", "\\u009b\x7F"}, {"cut \xE2\x80", "cut \\ufffd"}, {"\n", "\\n"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(json_escape(in, true), out) << ::testing::PrintToString(in);
}

// The writer places commas and colons, nests, and passes string values (not
// keys, not exact ones) through the filter it was given.
TEST(JsonWriter, Nesting) {
  JsonWriter j(true, [](std::string s) { return s == "pw" ? std::string("***") : s; });
  j.open_object().key("pw").string("pw").key("a").open_array().number(1).boolean(false).null();
  j.open_object().close().strings({"pw", "\xC3\xA9"}).close().key("e").exact("pw").key("n").string_or_null("");
  EXPECT_EQ(j.finish(), "{\"pw\":\"***\",\"a\":[1,false,null,{},[\"***\",\"\\u00e9\"]],\"e\":\"pw\",\"n\":null}\n");
}

TEST(Timestamp, Format) { EXPECT_EQ(format_utc_timestamp(2026, 3, 5, 7, 4, 9), "2026-03-05T07:04:09Z"); }

}  // namespace
}  // namespace vantrel
