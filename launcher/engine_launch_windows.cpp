#include "launcher/engine_launch.h"

#include <windows.h>

#include <vector>

#include "base/scoped_handle.h"

namespace vantrel {

bool launch_engine(const std::wstring& engine_path, const std::wstring& command_line, unsigned long* error,
                   unsigned long* pid, const std::function<void(void* process)>& on_created) {
  // CreateProcessW may write into the command line: give it a private copy.
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // The Engine keeps Windows' own error mode, not the launcher's (which
  // every child would otherwise inherit): its file dialogs may ask for a disk.
  const BOOL created = ::CreateProcessW(engine_path.c_str(), buffer.data(), nullptr, nullptr, FALSE,
                                        CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup, &info);
  const DWORD last_error = ::GetLastError();
  if (!created) {
    if (error != nullptr) *error = last_error;
    return false;
  }
  if (pid != nullptr) *pid = info.dwProcessId;
  if (on_created) on_created(info.hProcess);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

}  // namespace vantrel
