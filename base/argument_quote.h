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

}  // namespace vantrel
