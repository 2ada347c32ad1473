// The readings that silently lose what the overlay's writer meant, each as a
// problem with a stable code: the launcher still starts, but not as written.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

struct CheckInputs;

struct Problem {
  std::string code;      // stable, for programs
  std::string severity;  // "error": the overlay is not read as written at all; "warning": one value is not
  std::string setting;   // the key concerned, or empty
  std::string message;
};

// The problems of this start, in a fixed order: the Engine, the overlay's
// encoding and form, then the settings in table order, then the check's own
// arguments.
//   engine_missing            error    vantrel-engine.exe is not beside the launcher: nothing starts
//   profile_ambiguous         error    the Engine would read another profile folder from the arguments: nothing starts
//   profile_not_a_folder      warning  the profile argument names a device (NUL, COM1): used as without one
//   overlay_too_large         error    too large to read in memory: the launcher starts nothing
//   overlay_not_utf8          error    UTF-16 text (every setting keeps its default), or a byte that is not UTF-8
//   overlay_incomplete        error    no complete JSON object (unclosed object or string)
//   presence_without_value    warning  null or "" still stops the launcher's own value
//   unicode_escape_kept       warning  \uXXXX stays as written in a string the launcher reads
//   proxy_scheme_not_socks5   warning  socks5h://, SOCKS5:// and the like: no discovery
//   storage_category_ignored  warning  a category set to anything but true or false
//   webgl_profile_not_found   warning  the catalogue beside the launcher has no such profile
//   command_line_too_long     error    the Engine's command line would pass Windows' limit: nothing starts
//   check_option_misspelt     warning  an argument like --jsn, passed on to the Engine
std::vector<Problem> check_problems(const CheckInputs& in);

}  // namespace vantrel
