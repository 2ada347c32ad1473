// The one stand-in program of the end-to-end tests. Its role follows from its
// file name, else from its first argument:
//
//   vantrel-engine.exe   the Engine: records what it was started with as JSON
//                        (raw command line, CommandLineToArgvW split, current
//                        folder, and "started_qpc", the performance counter at
//                        its start) to %VANTREL_FAKE_ENGINE_RECORD% or
//                        engine-received.json beside itself, written under a
//                        temporary name and moved; then writes "engine" into the
//                        file %VANTREL_FAKE_ENGINE_WRITES% when set (as a
//                        starting browser writes its profile), and sleeps
//                        %VANTREL_FAKE_ENGINE_SLEEP_MS% when set.
//   curl.exe             System32's curl, scripted through the environment:
//                        CURL_DOUBLE_LOG (append the raw command line as a JSON
//                        string), CURL_DOUBLE_EXIT (exit code), CURL_DOUBLE_STDERR,
//                        CURL_DOUBLE_BODY (file for standard output),
//                        CURL_DOUBLE_REPEAT, CURL_DOUBLE_DELAY_MS; for the
//                        fallback endpoint ("/myip") NAME_MYIP wins over NAME.
//   stand_in spawn FILE [HELD]   start the command line in FILE (UTF-8, byte for
//                                byte) with CreateProcessW, print {"pid":N}; exit
//                                with its code. On the desktop %VANTREL_SPAWN_DESKTOP%
//                                when set ("Hidden\Default": a station nobody sees).
//                                With HELD: first open HELD without sharing as an
//                                inheritable handle, let the child inherit it and
//                                name it in CURL_DOUBLE_INHERITED, which the curl
//                                stand-in resolves into its log ("inherited: ...")
//   stand_in msgbox [MS]         print a message box's caption and text as JSON, press OK
//   stand_in close CLASS [MS]    close a window of CLASS as the title-bar button does
//   stand_in rect CLASS [MS]     print a window's rectangles, styles, caption, screen size
//   stand_in hold FILE MS [ACCESS SHARE [UNTIL]]
//                                keep FILE open for MS ms ("held"): read and
//                                write access, no sharing; or ACCESS (r, w, rw)
//                                and SHARE (any of r, w, d; - for none); with
//                                UNTIL (a name pattern), let go as soon as a
//                                file of that pattern exists
//   stand_in resources EXE       print EXE's icon group 1, file version and manifest
//   stand_in info                print the local application-data folder, the
//                                processor count and the physical memory
//   stand_in lock FOLDER UNTIL   take the start lock of the profile FOLDER ("held")
//                                and keep it until a file UNTIL exists
//
// Exit codes of the commands: 0 done, 2 nothing found in time, 3 usage or system error.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/json_text.h"
#include "base/text_encoding.h"
#include "platform/profile_lock.h"

namespace {

// A JSON string in UTF-8, valid whatever the text holds.
std::string json_string(const std::wstring& text) {
  return "\"" + vantrel::json_escape(vantrel::wide_to_utf8(text)) + "\"";
}

bool is_fallback = false;

std::string env(const char* name) {
  char buf[4096];
  if (is_fallback) {
    const std::string fallback_name = std::string(name) + "_MYIP";
    const DWORD n = GetEnvironmentVariableA(fallback_name.c_str(), buf, sizeof buf);
    if (n > 0 && n < sizeof buf) return std::string(buf, n);
  }
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}


void write_all(HANDLE h, const std::string& data) {
  DWORD done = 0;
  WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &done, nullptr);
}


int curl_double() {
  const wchar_t* line = GetCommandLineW();
  is_fallback = std::wstring(line).find(L"/myip") != std::wstring::npos;

  // One JSON string per line: the command line, then what was inherited.
  const std::string log = env("CURL_DOUBLE_LOG");
  const auto append = [&log](const std::wstring& text) {
    HANDLE f = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    write_all(f, json_string(text) + "\n");
    CloseHandle(f);
  };
  if (!log.empty()) append(line);
  // Whether the handle a caller of the launcher let it inherit reached curl.
  const std::string inherited = env("CURL_DOUBLE_INHERITED");
  if (!inherited.empty() && !log.empty()) {
    wchar_t name[MAX_PATH] = {};
    const HANDLE h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(inherited.c_str(), nullptr, 10)));
    const DWORD n = GetFinalPathNameByHandleW(h, name, MAX_PATH, 0);
    append(L"inherited: " + std::wstring(n > 0 && n < MAX_PATH ? name : L"nothing"));
  }
  // A dead proxy for one profile of a store: curl's "could not connect".
  const std::wstring dead = vantrel::utf8_to_wide(env("CURL_DOUBLE_DEAD_PROXY"));
  if (!dead.empty() && std::wstring(line).find(dead) != std::wstring::npos) ExitProcess(7);
  const std::string err = env("CURL_DOUBLE_STDERR");
  if (!err.empty()) write_all(GetStdHandle(STD_ERROR_HANDLE), err);

  const std::string body_file = env("CURL_DOUBLE_BODY");
  if (!body_file.empty()) {
    std::string body;
    HANDLE f = CreateFileA(body_file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      char buf[65536];
      DWORD got = 0;
      while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) body.append(buf, got);
      CloseHandle(f);
    }
    const std::string repeat = env("CURL_DOUBLE_REPEAT");
    const long times = repeat.empty() ? 1 : std::strtol(repeat.c_str(), nullptr, 10);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (long i = 0; i < times; ++i) write_all(out, body);
  }
  const std::string delay = env("CURL_DOUBLE_DELAY_MS");
  if (!delay.empty()) Sleep(static_cast<DWORD>(std::strtoul(delay.c_str(), nullptr, 10)));
  const std::string code = env("CURL_DOUBLE_EXIT");
  // Any 32-bit exit code, a crash status included.
  ExitProcess(code.empty() ? 0u : static_cast<UINT>(std::strtoul(code.c_str(), nullptr, 10)));
}

std::wstring wenv(const wchar_t* name) {
  wchar_t buf[32768];
  const DWORD n = GetEnvironmentVariableW(name, buf, 32768);
  return n > 0 && n < 32768 ? std::wstring(buf, n) : std::wstring();
}

int engine() {
  LARGE_INTEGER started;
  QueryPerformanceCounter(&started);
  const wchar_t* raw = GetCommandLineW();
  std::string json = "{\"started_qpc\":" + std::to_string(started.QuadPart) + ",\"command_line\":" +
                     json_string(raw) + ",\"argv\":[";
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(raw, &argc);
  for (int i = 0; argv != nullptr && i < argc; ++i) json += (i ? "," : "") + json_string(argv[i]);
  if (argv != nullptr) LocalFree(argv);
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  json += "],\"cwd\":" + json_string(cwd) + ",\"pid\":" + std::to_string(GetCurrentProcessId()) + "}\n";

  std::wstring target = wenv(L"VANTREL_FAKE_ENGINE_RECORD");
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

  const std::wstring writes = wenv(L"VANTREL_FAKE_ENGINE_WRITES");
  if (!writes.empty()) {
    HANDLE w = CreateFileW(writes.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (w != INVALID_HANDLE_VALUE) {
      WriteFile(w, "engine", 6, &written, nullptr);
      CloseHandle(w);
    }
  }
  const std::wstring sleep_ms = wenv(L"VANTREL_FAKE_ENGINE_SLEEP_MS");
  if (!sleep_ms.empty()) Sleep(static_cast<DWORD>(_wtoi(sleep_ms.c_str())));
  return 0;
}

HWND wait_for_window(const wchar_t* klass, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (HWND h = FindWindowW(klass, nullptr)) return h;
    if (GetTickCount64() >= end) return nullptr;
    Sleep(50);
  }
}

std::wstring window_text(HWND h) {
  wchar_t buf[4096] = {};
  GetWindowTextW(h, buf, 4096);
  return buf;
}

int spawn(const wchar_t* file, const wchar_t* held_file) {
  // As a caller that lets its child inherit a handle of its own: a file
  // opened without sharing, its handle's value in CURL_DOUBLE_INHERITED.
  HANDLE held = INVALID_HANDLE_VALUE;
  if (held_file != nullptr) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    held = CreateFileW(held_file, GENERIC_WRITE, 0, &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 3;
    SetEnvironmentVariableA("CURL_DOUBLE_INHERITED", std::to_string(reinterpret_cast<std::uintptr_t>(held)).c_str());
  }
  HANDLE f = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  std::string bytes(1 << 20, '\0');
  DWORD got = 0;
  ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(f);
  bytes.resize(got);
  std::wstring line = vantrel::utf8_to_wide(bytes);
  line.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring desktop = wenv(L"VANTREL_SPAWN_DESKTOP");
  if (!desktop.empty()) si.lpDesktop = desktop.data();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, held_file != nullptr, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("{\"error\":%lu}\n", GetLastError());
    return 3;
  }
  std::printf("{\"pid\":%lu}\n", pi.dwProcessId);
  std::fflush(stdout);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 3;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  return static_cast<int>(code);
}

int msgbox(DWORD timeout_ms) {
  // The box is found as soon as it exists; its caption and text are set a
  // moment later, while it is being initialised. Wait until it is shown.
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    HWND box = FindWindowW(L"#32770", nullptr);
    wchar_t text[4096] = {};
    if (box != nullptr && IsWindowVisible(box) && GetDlgItemTextW(box, 0xFFFF, text, 4096) > 0) {
      Sleep(100);  // let it finish painting before it is dismissed
      std::printf("{\"caption\":%s,\"text\":%s}\n", json_string(window_text(box).c_str()).c_str(),
                  json_string(text).c_str());
      std::fflush(stdout);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    if (GetTickCount64() >= end) return 2;
    Sleep(50);
  }
}

int close_window(const wchar_t* klass, DWORD timeout_ms) {
  HWND h = wait_for_window(klass, timeout_ms);
  if (h == nullptr) return 2;
  PostMessageW(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

int hold(const wchar_t* file, DWORD ms, const std::wstring& access, const std::wstring& share,
         const wchar_t* until) {
  DWORD desired = 0;
  DWORD sharing = 0;
  for (const wchar_t c : access) desired |= c == L'r' ? GENERIC_READ : c == L'w' ? GENERIC_WRITE : 0;
  for (const wchar_t c : share) {
    sharing |= c == L'r' ? FILE_SHARE_READ : c == L'w' ? FILE_SHARE_WRITE : c == L'd' ? FILE_SHARE_DELETE : 0;
  }
  // A holder that was just ended may still hold it for a moment.
  const ULONGLONG give_up = GetTickCount64() + 5000;
  HANDLE f = INVALID_HANDLE_VALUE;
  while ((f = CreateFileW(file, desired, sharing, nullptr, OPEN_EXISTING, 0, nullptr)) == INVALID_HANDLE_VALUE &&
         GetLastError() == ERROR_SHARING_VIOLATION && GetTickCount64() < give_up) {
    Sleep(20);
  }
  if (f == INVALID_HANDLE_VALUE) return 3;
  std::printf("held\n");
  std::fflush(stdout);
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = until != nullptr ? FindFirstFileW(until, &found) : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      break;
    }
    Sleep(until != nullptr ? 5 : 50);
  }
  CloseHandle(f);
  return 0;
}

int rect(const wchar_t* klass, DWORD timeout_ms) {
  HWND h = wait_for_window(klass, timeout_ms);
  if (h == nullptr) return 2;
  RECT w{}, c{};
  GetWindowRect(h, &w);
  GetClientRect(h, &c);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  const LONG style = GetWindowLongW(h, GWL_STYLE);
  const LONG ex_style = GetWindowLongW(h, GWL_EXSTYLE);
  std::printf("{\"left\":%ld,\"top\":%ld,\"right\":%ld,\"bottom\":%ld,\"client_x\":%ld,\"client_y\":%ld,"
              "\"client_width\":%ld,\"client_height\":%ld,\"style\":%ld,\"ex_style\":%ld,\"caption\":%s,"
              "\"screen_width\":%d,\"screen_height\":%d}\n",
              w.left, w.top, w.right, w.bottom, origin.x, origin.y, c.right, c.bottom, style, ex_style,
              json_string(window_text(h).c_str()).c_str(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return 0;
}

int resources(const wchar_t* exe) {
  HMODULE m = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (m == nullptr) return 3;
  std::string json = "{\"icons\":[";
  if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), RT_GROUP_ICON)) {
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(m, r)));
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    for (WORD i = 0; i < count; ++i) {
      const BYTE* entry = dir + 6 + 14 * i;  // GRPICONDIRENTRY
      const int size = entry[0] == 0 ? 256 : entry[0];
      const WORD bits = *reinterpret_cast<const WORD*>(entry + 6);
      json += (i ? "," : "") + std::string("[") + std::to_string(size) + "," + std::to_string(bits) + "]";
    }
  }
  json += "],\"manifest\":";
  std::wstring manifest;
  if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    const char* text = static_cast<const char*>(LockResource(LoadResource(m, r)));
    manifest = vantrel::utf8_to_wide(std::string(text, SizeofResource(m, r)));
  }
  json += json_string(manifest);
  FreeLibrary(m);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
  std::string version;
  if (size > 0) {
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (GetFileVersionInfoW(exe, 0, size, data.data()) &&
        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len)) {
      version = std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
                "." + std::to_string(HIWORD(info->dwFileVersionLS));
    }
  }
  std::printf("%s,\"version\":\"%s\"}\n", json.c_str(), version.c_str());
  return 0;
}

int lock(const wchar_t* folder, const wchar_t* until) {
  using namespace vantrel::platform;
  ProfileStartLock held(folder_identity(file_path(folder)), std::chrono::milliseconds(10000));
  if (held.waited_out()) return 2;
  std::printf("held\n");
  std::fflush(stdout);
  for (int i = 0; i < 1200 && GetFileAttributesW(until) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
  return 0;
}

int info() {
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
  SYSTEM_INFO si{};
  GetSystemInfo(&si);
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatusEx(&memory);
  std::printf("{\"local_app_data\":%s,\"processors\":%lu,\"memory_bytes\":%llu}\n", json_string(local).c_str(),
              si.dwNumberOfProcessors, static_cast<unsigned long long>(memory.ullTotalPhys));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring name = self;
  name = name.substr(name.find_last_of(L'\\') + 1);
  for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
  if (name == L"vantrel-engine.exe") return engine();
  if (name == L"curl.exe") return curl_double();

  if (argc < 2) return 3;
  const std::wstring cmd = argv[1];
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(_wtoi(argv[argc - 1])) : 10000;
  if (cmd == L"spawn" && (argc == 3 || argc == 4)) return spawn(argv[2], argc == 4 ? argv[3] : nullptr);
  if (cmd == L"msgbox") return msgbox(argc > 2 ? timeout : 10000);
  if (cmd == L"close" && argc >= 3) return close_window(argv[2], argc > 3 ? timeout : 10000);
  if (cmd == L"rect" && argc >= 3) return rect(argv[2], argc > 3 ? timeout : 10000);
  if (cmd == L"hold" && (argc == 4 || argc == 6 || argc == 7)) {
    return hold(argv[2], static_cast<DWORD>(_wtoi(argv[3])), argc > 4 ? argv[4] : L"rw", argc > 4 ? argv[5] : L"",
                argc == 7 ? argv[6] : nullptr);
  }
  if (cmd == L"resources" && argc == 3) return resources(argv[2]);
  if (cmd == L"info") return info();
  if (cmd == L"lock" && argc == 4) return lock(argv[2], argv[3]);
  return 3;
}
