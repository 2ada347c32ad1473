#include "base/argument_quote.h"

namespace vantrel {

std::wstring quote_windows_argument(const std::wstring& arg) {
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(2 * backslashes + 1, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  out += L'"';
  return out;
}

std::wstring command_line_remainder(const std::wstring& command_line) {
  // The runtimes' rule (MSVC's and mingw-w64's alike): any character up to
  // the blank ends the name outside quotes, and so does every control
  // character; all of them after it are skipped.
  std::size_t i = 0;
  bool in_quotes = false;
  while (i < command_line.size() && (command_line[i] > L' ' || in_quotes)) {
    if (command_line[i] == L'"') in_quotes = !in_quotes;
    ++i;
  }
  while (i < command_line.size() && command_line[i] <= L' ') ++i;
  return command_line.substr(i);
}

}  // namespace vantrel
