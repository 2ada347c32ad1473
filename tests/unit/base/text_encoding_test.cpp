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

struct DecodeCase {
  const char* name;
  std::string utf8;
  std::wstring utf16;
};

// Shared by the system converter (on Windows) and the portable one.
std::vector<DecodeCase> decode_cases() {
  return {
      {"empty", "", units({})},
      {"ascii", "abc", units({'a', 'b', 'c'})},
      {"two and three bytes", "\xC3\xA9\xE2\x80\x94", units({0xE9, 0x2014})},
      {"outside the BMP", "\xF0\x9F\x98\x80", units({0xD83D, 0xDE00})},
      {"nul kept", std::string("a\0b", 3), units({'a', 0, 'b'})},
      {"lone continuation", "a\x80z", units({'a', 0xFFFD, 'z'})},
      {"invalid lead", "\xFF", units({0xFFFD})},
      {"truncated three-byte at end", "x\xE2\x80", units({'x', 0xFFFD})},
      {"truncated then ascii", "\xE2\x80" "A", units({0xFFFD, 'A'})},
      {"overlong slash", "\xC0\xAF", units({0xFFFD, 0xFFFD})},
      {"encoded surrogate", "\xED\xA0\x80", units({0xFFFD, 0xFFFD, 0xFFFD})},
      {"above U+10FFFF", "\xF4\x90\x80\x80", units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
  };
}

// How many U+FFFD stand for one invalid sequence differs between converters
// (Wine's, Windows' and the Unicode recommendation that the portable one
// follows); what must agree is the text with each run of them taken as one.
std::wstring collapse_replacements(const std::wstring& s) {
  std::wstring out;
  for (wchar_t c : s) {
    if (c == 0xFFFD && !out.empty() && out.back() == 0xFFFD) continue;
    out += c;
  }
  return out;
}

TEST(TextEncoding, DecodeTable) {
  for (const auto& c : decode_cases()) {
    EXPECT_EQ(collapse_replacements(utf8_to_wide(c.utf8)), collapse_replacements(c.utf16)) << c.name;
    EXPECT_EQ(utf8_to_utf16_portable(c.utf8), c.utf16) << c.name << " (portable)";
  }
}

TEST(TextEncoding, EncodeTable) {
  const std::vector<std::pair<std::wstring, std::string>> cases = {
      {units({}), ""},
      {units({'h', 0xE9}), "h\xC3\xA9"},
      {units({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80"},
      {units({0xD83D}), "\xEF\xBF\xBD"},
      {units({0xDE00, 'a'}), "\xEF\xBF\xBD" "a"},
      {units({0xD83D, 'a'}), "\xEF\xBF\xBD" "a"},
      {units({0, 0x2026}), std::string("\0\xE2\x80\xA6", 4)},
  };
  for (const auto& [wide, utf8] : cases) {
    EXPECT_EQ(wide_to_utf8(wide), utf8);
    EXPECT_EQ(utf16_to_utf8_portable(wide), utf8);
  }
}

TEST(TextEncoding, RoundTripsEveryScalarValue) {
  std::string all;
  for (char32_t cp = 1; cp <= 0x10FFFF; cp += (cp < 0x3000 ? 1 : 97)) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::wstring one;
    if (cp >= 0x10000) {
      one = units({0xD800u + ((cp - 0x10000) >> 10), 0xDC00u + ((cp - 0x10000) & 0x3FF)});
    } else {
      one = units({static_cast<unsigned>(cp)});
    }
    const std::string utf8 = wide_to_utf8(one);
    ASSERT_EQ(utf8_to_wide(utf8), one) << std::hex << cp;
    all += utf8;
  }
  EXPECT_EQ(wide_to_utf8(utf8_to_wide(all)), all);
}

// Random byte strings: never an empty result, and U+FFFD wherever the bytes
// are not UTF-8. (Exactly which bytes a replacement swallows is the system's
// business: Wine's converter, for one, also swallows an ASCII byte after a
// cut four-byte lead.) Random valid text converts identically.
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
    const bool valid = portable.find(static_cast<wchar_t>(0xFFFD)) == std::wstring::npos;
    const std::wstring system = utf8_to_wide(bytes);
    ASSERT_FALSE(system.empty()) << ::testing::PrintToString(bytes);
    if (valid) {
      ASSERT_EQ(system, portable) << ::testing::PrintToString(bytes);
    } else {
      ASSERT_NE(system.find(static_cast<wchar_t>(0xFFFD)), std::wstring::npos) << ::testing::PrintToString(bytes);
    }

    std::wstring text;
    for (unsigned i = 0; i < len; ++i) {
      unsigned cp = next() % 3 == 0 ? 0x10000 + (next() * 31u) % 0xFFFFF : next() % 0xD7FF + 1;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        text += units({0xD800 + (cp >> 10), 0xDC00 + (cp & 0x3FF)});
      } else {
        text += units({cp});
      }
    }
    ASSERT_EQ(wide_to_utf8(text), utf16_to_utf8_portable(text));
    ASSERT_EQ(utf8_to_wide(wide_to_utf8(text)), text);
  }
}

}  // namespace
}  // namespace vantrel
