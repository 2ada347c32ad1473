// The launcher's one pass from start to exit.
#pragma once

namespace vantrel {

// Runs the main sequence. `instance` is the launcher's module; `command_line`
// is the remainder of the command line after the program name, as the entry
// point receives it (null counts as empty). Returns the exit code of the
// ending (records/endings.h).
int run_launcher(void* instance, const wchar_t* command_line);

}  // namespace vantrel
