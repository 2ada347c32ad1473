// Baseline for the start-up benchmark: the least a launcher could do. It
// loads the same system DLLs as vantrel.exe (kernel32, msvcrt, gdi32,
// shell32, shlwapi, user32) and starts vantrel-engine.exe beside itself with
// CreateProcessW, closing the handles at once.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t dir[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, dir, MAX_PATH);
  PathRemoveFileSpecW(dir);
  std::wstring engine = std::wstring(dir) + L"\\vantrel-engine.exe";
  if (!PathFileExistsW(engine.c_str())) {
    MessageBoxW(nullptr, engine.c_str(), L"trampoline", MB_ICONERROR);
    return 1;
  }
  int argc = 0;
  LocalFree(CommandLineToArgvW(GetCommandLineW(), &argc));
  GetStockObject(WHITE_BRUSH);  // gdi32, as the launcher's window needs
  std::wstring line = L"\"" + engine + L"\" chrome://version";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(engine.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
