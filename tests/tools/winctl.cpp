// Test helper for driving the launcher under Wine as a user or a caller would.
//
//   winctl spawn FILE          start the command line held in FILE (UTF-8,
//                              taken byte for byte) with CreateProcessW, wait,
//                              and exit with the child's exit code
//   winctl msgbox [MS]         wait up to MS ms for a message box, print its
//                              caption and text as JSON, press OK
//   winctl close CLASS [MS]    wait for a top-level window of CLASS and close
//                              it as the title-bar button would (SC_CLOSE)
//   winctl rect CLASS [MS]     wait for a window of CLASS and print its
//                              window rectangle, client origin and size, the
//                              caption and the screen size as JSON
//   winctl hold FILE MS        open FILE without sharing, print "held", keep it
//                              open MS ms (a file another program has locked)
//   winctl resources EXE       print the icon group 1 (sizes and bit counts),
//                              the file version and the manifest of EXE
//   winctl info                print facts of this Windows as JSON: the local
//                              application-data folder, total physical memory
//                              and the processor count
//
// Exit codes: 0 done, 2 nothing found in time, 3 usage or system error.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "tool_json.h"

namespace {


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

int spawn(const wchar_t* file) {
  HANDLE f = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  std::string bytes(1 << 20, '\0');
  DWORD got = 0;
  ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(f);
  bytes.resize(got);
  const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring line(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), line.data(), n);
  line.push_back(L'\0');
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("{\"error\":%lu}\n", GetLastError());
    return 3;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 3;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
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
      std::printf("{\"caption\":%s,\"text\":%s}\n", tool_json_string(window_text(box).c_str()).c_str(),
                  tool_json_string(text).c_str());
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

int hold(const wchar_t* file, DWORD ms) {
  HANDLE f = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 3;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(ms);
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
              tool_json_string(window_text(h).c_str()).c_str(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
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
    const DWORD size = SizeofResource(m, r);
    for (DWORD i = 0; i < size; ++i) manifest += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
  }
  json += tool_json_string(manifest.c_str());
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

int info() {
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
  MEMORYSTATUSEX mem{};
  mem.dwLength = sizeof mem;
  GlobalMemoryStatusEx(&mem);
  SYSTEM_INFO si{};
  GetSystemInfo(&si);
  std::printf("{\"local_app_data\":%s,\"total_phys\":%llu,\"processors\":%lu}\n", tool_json_string(local).c_str(),
              static_cast<unsigned long long>(mem.ullTotalPhys), si.dwNumberOfProcessors);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 3;
  const std::wstring cmd = argv[1];
  const DWORD timeout = argc > 2 ? static_cast<DWORD>(_wtoi(argv[argc - 1])) : 10000;
  if (cmd == L"spawn" && argc == 3) return spawn(argv[2]);
  if (cmd == L"msgbox") return msgbox(argc > 2 ? timeout : 10000);
  if (cmd == L"close" && argc >= 3) return close_window(argv[2], argc > 3 ? timeout : 10000);
  if (cmd == L"rect" && argc >= 3) return rect(argv[2], argc > 3 ? timeout : 10000);
  if (cmd == L"hold" && argc == 4) return hold(argv[2], timeout);
  if (cmd == L"resources" && argc == 3) return resources(argv[2]);
  if (cmd == L"info") return info();
  return 3;
}
