// Quoting and splitting the arguments of a Windows command line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// `arg` wrapped in double quotes such that CommandLineToArgvW gives back
// exactly `arg` as one argument: a run of n backslashes before a double quote
// becomes 2n+1 backslashes and the quote, a run at the end becomes 2n, other
// backslashes stay. Text without quotes and without trailing backslashes is
// simply enclosed in quotes.
std::wstring quote_windows_argument(const std::wstring& arg);

// What the runtime hands wWinMain of a whole command line: the text after the
// program name (which ends at the first blank, tab or other control character
// outside double quotes) and the blanks and control characters after it. For "\"C:\\v.exe\"--a --b" that is "--b".
std::wstring command_line_remainder(const std::wstring& command_line);

// One argument of a command line's remainder and where its text begins there
// (its first character, an opening quote included).
struct SplitArgument {
  std::wstring text;
  std::size_t begin = 0;
};

// `remainder` (a command line after its program name, as the runtime hands
// it to wWinMain) split into arguments by CommandLineToArgvW's rules, with
// each argument's offset: blanks and tabs separate outside double quotes;
// 2n backslashes and a quote give n backslashes and open or close the
// quotes, 2n+1 give n and a literal quote, other backslashes stay; within a
// run of quotes every third one is a literal quote and leaves the quotes.
// Programs read their arguments from the very text they pass on, and the
// offsets say where to cut it.
std::vector<SplitArgument> split_command_line(const std::wstring& remainder);

// The same, the texts only.
std::vector<std::wstring> split_arguments(const std::wstring& remainder);

}  // namespace vantrel
