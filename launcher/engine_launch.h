// Starting the Engine as an independent process.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

// Starts the Engine with `command_line` (engine_command_line(...)) and
// `engine_path` as the application name; no handles inherited, the
// launcher's environment and current folder. The returned handles are closed
// at once: the launcher neither waits for nor watches the Engine; `created`,
// when given, gets the process handle first (to leave a marker in it). On
// success `pid`, when given, receives the new process's id; on failure
// returns false and, when `error` is given, stores the system error code.
// The Engine keeps Windows' default error mode, not the launcher's.
bool launch_engine(const std::wstring& engine_path, const std::wstring& command_line, unsigned long* error = nullptr,
                   unsigned long* pid = nullptr, const std::function<void(void* process)>& created = nullptr);

}  // namespace vantrel
