#include "base/text_encoding.h"

#include <gtest/gtest.h>


namespace vantrel {
namespace {

std::wstring units(std::initializer_list<unsigned> list) {
  std::wstring out;
  for (unsigned u : list) out += static_cast<wchar_t>(u);
  return out;
}

// How many U+FFFD stand for one invalid sequence differs between converters
// (Wine's, Windows' and the Unicode recommendation the portable one follows);
// what must agree is the text with each run of them taken as one.
std::wstring collapse_replacements(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s) {
    if (c != 0xFFFD || out.empty() || out.back() != 0xFFFD) out += c;
  }
  return out;
}

TEST(TextEncoding, Tables) {
  const std::pair<std::string, std::wstring> decode[] = {
      {"", units({})}, {"\xC3\xA9\xE2\x80\x94", units({0xE9, 0x2014})}, {"\xF0\x9F\x98\x80", units({0xD83D, 0xDE00})},
      {"\xF0\x90\x80\x80", units({0xD800, 0xDC00})}, {"\xF4\x8F\xBF\xBF\xE0\xA0\x80", units({0xDBFF, 0xDFFF, 0x800})},
      {std::string("a\0b", 3), units({'a', 0, 'b'})}, {"a\x80z", units({'a', 0xFFFD, 'z'})},
      {"x\xE2\x80", units({'x', 0xFFFD})}, {"\xE2\x80" "A", units({0xFFFD, 'A'})},
      {"\xC0\xAF", units({0xFFFD, 0xFFFD})}, {"\xED\xA0\x80", units({0xFFFD, 0xFFFD, 0xFFFD})},
      {"\xF4\x90\x80\x80", units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
  };
  for (const auto& [utf8, utf16] : decode) {
    EXPECT_EQ(utf8_to_utf16_portable(utf8), utf16) << ::testing::PrintToString(utf8);
    EXPECT_EQ(collapse_replacements(utf8_to_wide(utf8)), collapse_replacements(utf16)) << ::testing::PrintToString(utf8);
  }
  const std::pair<std::wstring, std::string> encode[] = {
      {units({0xD83D, 0xDE00, 0xE9}), "\xF0\x9F\x98\x80\xC3\xA9"}, {units({0xD83D}), "\xEF\xBF\xBD"},
      {units({0xDE00, 'a'}), "\xEF\xBF\xBD" "a"},   {units({0, 0x2026}), std::string("\0\xE2\x80\xA6", 4)},
  };
  for (const auto& [wide, utf8] : encode) {
    EXPECT_EQ(wide_to_utf8(wide), utf8);
    EXPECT_EQ(utf16_to_utf8_portable(wide), utf8);
  }
}

}  // namespace
}  // namespace vantrel
