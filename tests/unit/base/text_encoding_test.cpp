#include "base/text_encoding.h"

#include <gtest/gtest.h>

#include <vector>

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
      {"\xF0\x90\x80\x80", units({0xD800, 0xDC00})},
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
      {units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"}, {units({0xD83D}), "\xEF\xBF\xBD"},
      {units({0xDE00, 'a'}), "\xEF\xBF\xBD" "a"},   {units({0, 0x2026}), std::string("\0\xE2\x80\xA6", 4)},
  };
  for (const auto& [wide, utf8] : encode) {
    EXPECT_EQ(wide_to_utf8(wide), utf8);
    EXPECT_EQ(utf16_to_utf8_portable(wide), utf8);
  }
}

// Random bytes: never an empty result, U+FFFD wherever the bytes are not
// UTF-8 (which bytes a replacement swallows is the system's business), and
// the same text as the portable converter where they are. Random text
// converts both ways identically on both converters.
TEST(TextEncoding, RandomBytesAndRandomText) {
  unsigned state = 12345;
  auto next = [&] { return (state = state * 1103515245u + 12345u) >> 16; };
  const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC2, 0xDF, 0xE0, 0xED,
                                       0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0xA0, 0x9F, 0x90, 0x8F};
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    const unsigned len = next() % 12 + 1;
    for (unsigned i = 0; i < len; ++i) bytes += static_cast<char>(interesting[next() % sizeof interesting]);
    const std::wstring portable = utf8_to_utf16_portable(bytes);
    const std::wstring system = utf8_to_wide(bytes);
    const bool valid = portable.find(L'\xFFFD') == std::wstring::npos;
    ASSERT_TRUE(valid ? system == portable : system.find(L'\xFFFD') != std::wstring::npos)
        << ::testing::PrintToString(bytes);

    std::wstring text;
    for (unsigned i = 0; i < len; ++i) {
      const unsigned above_bmp = (next() * 31u) % 0xFFFFF;  // the code point less 0x10000
      text += next() % 3 == 0 ? units({0xD800 + (above_bmp >> 10), 0xDC00 + (above_bmp & 0x3FF)})
                              : units({next() % 0xD7FF + 1});
    }
    ASSERT_EQ(wide_to_utf8(text), utf16_to_utf8_portable(text));
    ASSERT_EQ(utf8_to_wide(wide_to_utf8(text)), text);
  }
}

}  // namespace
}  // namespace vantrel
