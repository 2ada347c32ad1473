// The launcher's one pass from start to exit.
#pragma once

namespace vantrel {

// Exit codes of the launcher.
inline constexpr int EXIT_STARTED = 0;        // Engine started (or the user cancelled)
inline constexpr int EXIT_ENGINE_MISSING = 1;  // also: the Engine could not be started
inline constexpr int EXIT_BLOCKED = 42;        // a failed discovery blocked the start

// Runs the main sequence. `instance` is the launcher's module; `command_line`
// is the remainder of the command line after the program name, as the entry
// point receives it (null counts as empty). Returns the exit code.
int run_launcher(void* instance, const wchar_t* command_line);

}  // namespace vantrel
