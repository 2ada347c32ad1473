// The Windows side of the text conversions: the system's own converter.
#include <windows.h>

#include <climits>

#include "base/text_encoding.h"

namespace vantrel {

// The system's own converter, code page 65001 with flags 0: invalid input
// becomes U+FFFD rather than an error.
std::wstring utf8_to_wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
  const int in_len = static_cast<int>(utf8.size());
  const int len = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_len, nullptr, 0);
  if (len <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(len), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_len, out.data(), len);
  return out;
}

std::string wide_to_utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int in_len = static_cast<int>(wide.size());
  const int len = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_len, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return std::string();
  std::string out(static_cast<std::size_t>(len), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_len, out.data(), len, nullptr, nullptr);
  return out;
}

}  // namespace vantrel
