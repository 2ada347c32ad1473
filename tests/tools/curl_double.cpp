// Test double for System32's curl.exe, scripted through the environment
// (which the launcher passes on to curl):
//   CURL_DOUBLE_LOG          file to which each call appends its raw command
//                            line as one JSON string per line
//   CURL_DOUBLE_EXIT         exit code, decimal, up to 4294967295 (default 0)
//   CURL_DOUBLE_STDERR       text written to standard error first
//   CURL_DOUBLE_BODY         file whose bytes go to standard output
//   CURL_DOUBLE_REPEAT       how many times the body is written (default 1)
//   CURL_DOUBLE_DELAY_MS     pause before exiting
// For calls whose command line contains "/myip" (the fallback endpoint) the
// same names with the suffix _MYIP take precedence.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tool_json.h"

namespace {

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

}  // namespace

int wmain() {
  const wchar_t* line = GetCommandLineW();
  is_fallback = std::wstring(line).find(L"/myip") != std::wstring::npos;

  const std::string log = env("CURL_DOUBLE_LOG");
  if (!log.empty()) {
    HANDLE f = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      write_all(f, tool_json_string(line) + "\n");
      CloseHandle(f);
    }
  }
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
  ExitProcess(code.empty() ? 0u : static_cast<UINT>(std::strtoul(code.c_str(), nullptr, 10)));
}
