// Entry point of vantrel.exe, a GUI-subsystem program: no console.
#include <windows.h>

#include "launcher/main_sequence.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR command_line, int /*show*/) {
  // Every DLL loaded from now on, by us or by the system's DLLs, comes from
  // System32: never from the program's folder, where a downloaded file may
  // lie. (What the executable imports at load time is all Known DLLs, which
  // Windows takes from System32 anyway.)
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // No "There is no disk in the drive" box: a path that reaches a drive
  // without media must fail, not stop the run until someone clicks.
  ::SetErrorMode(SEM_FAILCRITICALERRORS);
  return vantrel::run_launcher(instance, command_line);
}
