#include "base/shown_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vantrel {
namespace {

std::string utf8_of(char32_t c) {
  const auto byte = [](char32_t v) { return static_cast<char>(v); };
  if (c < 0x80) return std::string(1, byte(c));
  if (c < 0x800) return {byte(0xC0 | (c >> 6)), byte(0x80 | (c & 0x3F))};
  if (c < 0x10000) return {byte(0xE0 | (c >> 12)), byte(0x80 | ((c >> 6) & 0x3F)), byte(0x80 | (c & 0x3F))};
  return {byte(0xF0 | (c >> 18)), byte(0x80 | ((c >> 12) & 0x3F)), byte(0x80 | ((c >> 6) & 0x3F)),
          byte(0x80 | (c & 0x3F))};
}

TEST(HideUrlPasswords, Table) {
  const std::pair<const char*, const char*> cases[] = {
      {"socks5://u:p@ss:w0rd@h:1", "socks5://u:***@h:1"}, {"socks5://u@h:1080", "socks5://u@h:1080"},
      {"socks5://h:1080", "socks5://h:1080"},             {"socks5://u:@h", "socks5://u:***@h"},
      {"a http://x:y@h b https://v:w@k", "a http://x:***@h b https://v:***@k"},
      // Whatever the password holds; text after the URL with an "@" goes with it.
      {"socks5://anna:hunter 2@h:1", "socks5://anna:***@h:1"}, {"\"socks5://a:b\"c@h\"", "\"socks5://a:***@h\""},
      {"--proxy-server=\"socks5://u:pw@h\" x@y", "--proxy-server=\"socks5://u:***@y"},
      {"no url: a@b", "no url: a@b"},                     {"://", "://"}, {"s://u@:1 s://h:1", "s://u@:1 s://h:1"},
  };
  for (const auto& [text, hidden] : cases) EXPECT_EQ(hide_url_passwords(text), hidden) << text;
}

// Nothing from outside reaches a terminal as a control character.
TEST(VisibleText, ShowsControls) {
  EXPECT_EQ(visible_text("\xC2\x85x"), "\\u0085x");  // a C1 control first
  EXPECT_EQ(visible_text("a\x1b[8m\x7f\xc2\x9b" "b\n\t\xc3\xa9\xff"), "a\\x1b[8m\\x7f\\u009bb\\x0a\\x09\xc3\xa9\xef\xbf\xbd");
  // Format and line-breaking characters, each range at both ends; their neighbours stay as they are.
  const std::pair<char32_t, bool> format[] = {
      {0xAD, true},    {0xAC, false},   {0x61C, true},   {0x61B, false},  {0x180E, true},  {0x180D, false},
      {0x200B, true},  {0x200F, true},  {0x200A, false}, {0x2010, false}, {0x2028, true},  {0x202E, true},
      {0x2027, false}, {0x202F, false}, {0x2060, true},  {0x2069, true},  {0x205F, false}, {0x206A, false},
      {0xFEFF, true},  {0xFEFE, false}, {0xFFF9, true},  {0xFFFB, true},  {0xFFF8, false}, {0xFFFC, false},
      {0xE0001, true}, {0xE007F, true}, {0xE0000, false}, {0xE0080, false},
  };
  for (const auto& [c, escaped] : format) {
    char hex[16];
    std::snprintf(hex, sizeof hex, c > 0xFFFF ? "\\u{%05x}" : "\\u%04x", static_cast<unsigned>(c));
    const std::string character = utf8_of(c);
    EXPECT_EQ(visible_text("a" + character + "b"), "a" + (escaped ? std::string(hex) : character) + "b") << hex;
  }
}

TEST(AsciiLower, OnlyAToZ) { EXPECT_EQ(ascii_lower("AZaz@[`{\xC3\x89"), "azaz@[`{\xC3\x89"); }

// A cut never leaves half a character; bytes that are not UTF-8 count one by one.
TEST(CutAtCharacter, Table) {
  const std::tuple<std::string, std::size_t, std::string> cases[] = {
      {"abc", 3, "abc"}, {"abcd", 3, "abc"}, {"a\xC3\xA9", 2, "a"}, {"a\xC3\xA9", 3, "a\xC3\xA9"},
      {"\xF0\x9F\x98\x80x", 3, ""}, {"\xFC\xFCx", 2, "\xFC\xFC"}, {"a\xE2\x80", 2, "a\xE2"},
  };
  for (const auto& [text, limit, cut] : cases) EXPECT_EQ(cut_at_character(text, limit), cut) << text << " " << limit;
}

// A typo is at most two edits away; a name far longer than every candidate is not measured.
TEST(Nearest, WithinTwoEdits) {
  const std::vector<std::string> keys{"auto-lang", "lang", "auto-timezone"};
  const std::pair<std::string, std::string> cases[] = {
      {"uto-lang", "auto-lang"}, {"xxto-lang", "auto-lang"}, {"xxxo-lang", ""}, {"lan", "lang"},
      {"auto-timzon", "auto-timezone"}, {"", ""}, {std::string(1 << 20, 'a'), ""},
  };
  for (const auto& [name, near] : cases) EXPECT_EQ(nearest(name, keys), near) << name.substr(0, 20);
}

}  // namespace
}  // namespace vantrel
