// Every way a run of vantrel.exe ends, in one table (as Chromium's
// mini_installer keeps its exit codes in one place): the exit code, the name
// the outcome file gives it, whether a message box says why, and the problem
// vantrel-check reports when it can foresee it. And every problem
// vantrel-check reports, with its severity. schemas/, the MANUAL's tables
// and the programs all follow these two tables (tests hold them together).
#pragma once

#include <vector>

namespace vantrel {

// vantrel-check's problems: readings that lose what the overlay's writer
// meant, and starts the launcher would not begin.
enum class ProblemCode {
  none,
  engine_missing,            // vantrel-engine.exe is not beside the launcher
  profile_ambiguous,         // the Engine would read another profile folder from the arguments
  profile_not_a_folder,      // the profile argument names a device (NUL, COM1): used as without one
  overlay_too_large,         // too large to read in memory
  overlay_unreadable,        // exists, but cannot be read (denied, held past the wait, a read error)
  overlay_not_utf8,          // UTF-16 text, or a byte that is not UTF-8
  overlay_incomplete,        // no complete JSON object
  presence_without_value,    // null or "" still stops the launcher's own value
  unicode_escape_kept,       // \uXXXX stays as written in a string the launcher reads
  proxy_scheme_not_socks5,   // socks5h://, SOCKS5:// and the like: no discovery
  storage_category_ignored,  // a member of "granular-storage-reset" the launcher does not act on
  webgl_profile_not_found,   // the catalogue beside the launcher has no such profile
  command_line_too_long,     // the Engine's command line would pass Windows' limit
  check_option_misspelt,     // an argument like --jsn, passed on to the Engine
};

enum class Severity { error, warning };

struct ProblemRow {
  ProblemCode code;
  const char* name;  // as reports and schemas write it
  Severity severity;
};

// Every problem, in the order reports list them.
const std::vector<ProblemRow>& problem_table();
const ProblemRow& problem_row(ProblemCode code);
const char* severity_text(Severity severity);

// How a run ends.
enum class Ending {
  started,                // the Engine process was created
  cancelled,              // the user closed the progress window
  blocked,                // a failed discovery blocked the start
  engine_missing,         // vantrel-engine.exe is not there
  engine_refused,         // Windows refused to start it
  profile_ambiguous,      // nothing begun: the Engine would open another profile folder
  overlay_too_large,      // nothing begun: the overlay cannot be read in memory
  overlay_unreadable,     // nothing begun: the overlay exists but cannot be read
  command_line_too_long,  // nothing begun: the Engine's command line could pass Windows' limit
};

struct EndingRow {
  Ending ending;
  const char* outcome;  // the outcome file's name for it
  int exit_code;        // vantrel.exe's exit code
  bool box;             // a message box says why
  ProblemCode problem;  // what vantrel-check reports when it can foresee this ending, or none
};

// Whether a run's message box is shown: a caller that asked for the outcome
// file reads what the box would say there (unless the file could not be
// written), and on a window station nobody sees (a service, a task run
// whether or not the user is logged on) no one could dismiss it: the box
// would wait forever.
bool show_box(bool outcome_asked, bool outcome_written, bool visible_station);

// Every ending, in the order the outcome file's documentation lists them.
const std::vector<EndingRow>& ending_table();
const EndingRow& ending_row(Ending ending);

}  // namespace vantrel
