#include "base/argument_quote.h"

#include <utility>

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


std::vector<SplitArgument> split_command_line(const std::wstring& s) {
  const auto blank = [&s](std::size_t i) { return s[i] == L' ' || s[i] == L'\t'; };
  std::vector<SplitArgument> args;
  std::size_t i = 0;
  for (;;) {
    while (i < s.size() && blank(i)) ++i;
    if (i >= s.size()) return args;
    SplitArgument arg{std::wstring(), i};
    int quotes = 0;  // 1 within quotes; counts up to 3 in a run of quotes
    std::size_t backslashes = 0;
    while (i < s.size() && (quotes != 0 || !blank(i))) {
      const wchar_t c = s[i++];
      if (c != L'"') {
        arg.text += c;
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        continue;
      }
      arg.text.resize(arg.text.size() - backslashes / 2);
      if (backslashes % 2 == 1) {
        arg.text.back() = L'"';  // the odd backslash stands for the quote
      } else {
        ++quotes;
      }
      backslashes = 0;
      for (; i < s.size() && s[i] == L'"'; ++i) {
        if (++quotes == 3) {
          arg.text += L'"';
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    }
    args.push_back(std::move(arg));
  }
}

std::vector<std::wstring> split_arguments(const std::wstring& remainder) {
  std::vector<std::wstring> texts;
  for (SplitArgument& a : split_command_line(remainder)) texts.push_back(std::move(a.text));
  return texts;
}

}  // namespace vantrel
