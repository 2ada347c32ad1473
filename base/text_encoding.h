// Conversions between UTF-8 byte strings and UTF-16 wide strings.
//
// Convention for the whole program: a std::wstring holds UTF-16 code units on
// every platform. On Windows that is what wchar_t is; on Linux, where wchar_t
// is 32 bits wide, each element still holds one UTF-16 unit, so characters
// outside the Basic Multilingual Plane take two elements (a surrogate pair).
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// UTF-8 to UTF-16. Never fails: each maximal invalid subsequence becomes
// U+FFFD; embedded NUL bytes are converted like any other character. The
// result is empty only for empty input. On Windows this is the system's
// converter (code page 65001, flags 0).
std::wstring utf8_to_wide(const std::string& utf8);

// UTF-16 to UTF-8. Unpaired surrogates become U+FFFD (EF BF BD).
std::string wide_to_utf8(const std::wstring& wide);

// The converters used where the system offers none. They follow the same
// replacement rules and serve as the reference in tests on Windows.
std::wstring utf8_to_utf16_portable(std::string_view utf8);
std::string utf16_to_utf8_portable(std::wstring_view wide);

// Length in bytes of the valid UTF-8 sequence starting at `text[pos]`, or 0
// when the bytes there do not form a complete, well-formed sequence
// (overlong forms, surrogates and values above U+10FFFF are ill-formed).
// On 0, `*invalid_length` (when given) receives the length of the maximal
// subpart to replace with one U+FFFD: at least 1.
std::size_t utf8_sequence_length(std::string_view text, std::size_t pos,
                                 std::size_t* invalid_length = nullptr);

// The position of the first byte of `text` that does not begin a valid UTF-8
// sequence, or npos when all of it is UTF-8.
std::size_t first_not_utf8(std::string_view text);

}  // namespace vantrel
