// Quoting one argument for a Windows command line.
#pragma once

#include <string>

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

}  // namespace vantrel
