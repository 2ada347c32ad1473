#include "base/text_encoding.h"

namespace vantrel {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

struct LeadInfo {
  std::size_t length;          // total bytes, 0 when the byte cannot lead
  unsigned char second_low;    // allowed range of the second byte
  unsigned char second_high;
};

LeadInfo lead_info(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};  // no overlongs
  if (b == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xF0) return {4, 0x90, 0xBF};  // no overlongs
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
  return {0, 0, 0};
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::size_t utf8_sequence_length(std::string_view text, std::size_t pos,
                                 std::size_t* invalid_length) {
  const auto b = static_cast<unsigned char>(text[pos]);
  if (b < 0x80) return 1;
  const LeadInfo info = lead_info(b);
  std::size_t good = 0;  // bytes that still form a valid prefix
  if (info.length != 0) {
    good = 1;
    for (std::size_t k = 1; k < info.length; ++k) {
      if (pos + k >= text.size()) break;
      const auto c = static_cast<unsigned char>(text[pos + k]);
      const unsigned char low = k == 1 ? info.second_low : 0x80;
      const unsigned char high = k == 1 ? info.second_high : 0xBF;
      if (c < low || c > high) break;
      ++good;
    }
    if (good == info.length) return good;
  }
  if (invalid_length != nullptr) *invalid_length = good == 0 ? 1 : good;
  return 0;
}

std::wstring utf8_to_utf16_portable(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t bad = 0;
    const std::size_t len = utf8_sequence_length(utf8, i, &bad);
    if (len == 0) {
      out += kReplacement;
      i += bad;
      continue;
    }
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0;
    if (len == 1) {
      cp = b0;
    } else {
      cp = b0 & (0xFF >> (len + 1));
      for (std::size_t k = 1; k < len; ++k) {
        cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<wchar_t>(0xD800 + (cp >> 10));
      out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<wchar_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string utf16_to_utf8_portable(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const auto u = static_cast<char32_t>(wide[i]);
    if (u > 0x10FFFF) {  // only a 32-bit wchar_t can hold this
      append_utf8(out, kReplacement);
      continue;
    }
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide.size()) {
      const auto v = static_cast<char32_t>(wide[i + 1]);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) {
      append_utf8(out, kReplacement);
    } else {
      append_utf8(out, u);
    }
  }
  return out;
}

std::size_t first_not_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = utf8_sequence_length(text, i);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

}  // namespace vantrel
