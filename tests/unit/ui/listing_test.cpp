#include "ui/listing.h"

#include <gtest/gtest.h>

#include "base/text_encoding.h"

namespace vantrel {
namespace {

// The rows as "key|value" lines.
std::string shown(std::vector<OverlayEntry> entries) {
  std::string out;
  for (const ListingRow& row : format_listing_rows(std::move(entries))) {
    out += wide_to_utf8(row.key) + "|" + wide_to_utf8(row.value) + "\n";
  }
  return out;
}

TEST(ListingRows, SortPadCutAndClean) {
  const std::string k40(40, 'k'), v36(36, 'w'), e15 = [] { std::string s; for (int i = 0; i < 15; ++i) s += "\xC3\xA9"; return s; }();
  const std::pair<std::vector<OverlayEntry>, std::string> cases[] = {
      {{{"b", "true"}, {"a", "\"de-DE\""}, {"ab", "{\"x\":1}"}}, "a |de-DE\nab|{\"x\":1}\nb |true\n"},
      {{{k40, "\"" + std::string(50, 'v') + "\""}, {"s", "\""}, {"t", v36}},
       std::string(27, 'k') + "\xE2\x80\xA6|" + std::string(33, 'v') + "\xE2\x80\xA6\ns" + std::string(27, ' ') +
           "|\"\nt" + std::string(27, ' ') + "|" + v36 + "\n"},
      // Widths count bytes, and a cut ends where a character does; 0xC3 sorts after ASCII.
      {{{e15, "1"}, {"z", "a" + e15 + e15}},
       "z" + std::string(27, ' ') + "|a" + e15 + "\xC3\xA9\xE2\x80\xA6\n" + e15.substr(0, 26) + "\xE2\x80\xA6|1\n"},
      // Passwords go before the 33-byte cut (a cut would leave them half in
      // view); line breaks and tabs show as blanks.
      {{{"p", "\"socks5://user:averyveryverylongpassword@h:1\""}, {"q", "{\n\t\"a\": 1\r\n}"}},
       "p|socks5://user:***@h:1\nq|{  \"a\": 1  }\n"},
  };
  for (const auto& [entries, expected] : cases) EXPECT_EQ(shown(entries), expected);
}

TEST(WindowHeight, ListingsScreenAndHugeCounts) {
  EXPECT_EQ(progress_window_height(3, 0, 1024), 330);
  EXPECT_EQ(progress_window_height(2, 2, 1024), 370);
  EXPECT_EQ(progress_window_height(20, 0, 400), 320);  // 80 % of the screen
  EXPECT_EQ(progress_window_height(std::size_t{1} << 40, std::size_t{1} << 40, 1080), 864);
}

}  // namespace
}  // namespace vantrel
