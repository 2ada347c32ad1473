#include "base/shown_text.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

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
