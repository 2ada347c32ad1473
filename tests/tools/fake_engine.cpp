// Stand-in for vantrel-engine.exe in end-to-end tests. It records what it was
// started with as JSON: the raw command line, its CommandLineToArgvW split,
// and its current folder. The record goes to %VANTREL_FAKE_ENGINE_RECORD%,
// or else to engine-received.json beside this executable; it is written to a
// temporary name first and then moved, so a reader never sees half of it.
// With %VANTREL_FAKE_ENGINE_SLEEP_MS% set, it then sleeps that long.
// "started_qpc" is the performance counter read first thing at its start, for
// the start-up benchmark (the counter is system-wide).
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tool_json.h"

namespace {

std::wstring env(const wchar_t* name) {
  wchar_t buf[32768];
  const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
  return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  const wchar_t* raw = GetCommandLineW();
  std::string json = "{\"started_qpc\":" + std::to_string(started.QuadPart) + ",\"command_line\":" +
                     tool_json_string(raw) + ",\"argv\":[";
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(raw, &argc);
  for (int i = 0; argv != nullptr && i < argc; ++i) json += (i ? "," : "") + tool_json_string(argv[i]);
  if (argv != nullptr) LocalFree(argv);
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  json += "],\"cwd\":" + tool_json_string(cwd) + "}\n";

  std::wstring target = env(L"VANTREL_FAKE_ENGINE_RECORD");
  if (target.empty()) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    target = self;
    target = target.substr(0, target.find_last_of(L'\\')) + L"\\engine-received.json";
  }
  const std::wstring temp = target + L".part";
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  WriteFile(f, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
  CloseHandle(f);
  MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);

  const std::wstring sleep_ms = env(L"VANTREL_FAKE_ENGINE_SLEEP_MS");
  if (!sleep_ms.empty()) Sleep(static_cast<DWORD>(_wtoi(sleep_ms.c_str())));
  return 0;
}
