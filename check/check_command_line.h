// vantrel-check's own command line: its options, then the launcher's
// arguments exactly as vantrel.exe would receive them.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_arguments.h"

namespace vantrel {

struct CheckCommandLine {
  bool json = false;
  bool probe = false;
  bool strict = false;
  bool help = false;
  std::wstring profiles;       // --profiles <folder>: every profile of that store; else empty
  unsigned jobs = 4;           // --jobs N (1 to 16): how many of a store's profiles are checked at once
  LauncherArguments launcher;  // the rest of the text, exactly as vantrel.exe would receive and read it
  std::string usage_error;     // non-empty: exit 2 with this message
};

// The check's options, one row each: what parses them, what the usage text
// says and what a misspelling is measured against.
struct CheckOption {
  const char* name;  // "--json"
  const char* usage;  // its line in the usage text, or empty
  bool CheckCommandLine::*flag;  // what it switches on; null for an option with a value (--profiles, --jobs)
};
const std::vector<CheckOption>& check_options();

// The usage text: the two forms and a line per option.
std::string check_usage();

// `command_line` is the whole command line (GetCommandLineW). The check's
// options (check_options(); "/?" for --help) come before the launcher's
// arguments; with "--profiles" there are none. "--profiles" and "--jobs"
// take a value, as the next argument or after "=". Everything is read from the
// runtime's remainder (command_line_remainder), as vantrel.exe reads its
// own: the text passed on and its split agree.
CheckCommandLine parse_check_command_line(const std::wstring& command_line);

// The check's option that `arg` (one of the launcher's arguments) looks like
// a misspelling of (at most two edits away, the part before any "=" compared),
// or empty.
std::string misspelt_check_option(const std::wstring& arg);

}  // namespace vantrel
