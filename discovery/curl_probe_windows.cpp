// The Windows side of the curl probe: locating curl.exe, the pipe, the
// hidden child process and the reading of its output.
#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "discovery/curl_probe.h"
#include "base/scoped_handle.h"

namespace vantrel {

namespace {
ProbeResult failed(ErrorCode code, const std::string& message) {
  ProbeResult r;
  r.error_code = code;
  r.message = message;
  return r;
}
}  // namespace

ProbeResult run_curl_probe(const std::string& proxy_server, const std::string& url) {
  const std::string refusal = proxy_url_refusal(proxy_server);
  if (!refusal.empty()) return failed(ErrorCode::internal, refusal);
  wchar_t system_dir[MAX_PATH] = {};
  if (::GetSystemDirectoryW(system_dir, MAX_PATH) == 0) {
    return failed(ErrorCode::internal, "GetSystemDirectoryW failed");
  }
  const std::wstring curl = std::wstring(system_dir) + L"\\curl.exe";
  if (!::PathFileExistsW(curl.c_str())) {
    return failed(ErrorCode::curl_not_found, "curl.exe missing from System32 (Windows 10 1803+ ships it)");
  }
  const std::wstring line = curl_command_line(curl, proxy_server, url);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');

  // One pipe for standard output and standard error. Only the write end is
  // inherited: the read end must not keep the pipe open in curl.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_raw = nullptr;
  HANDLE write_raw = nullptr;
  if (!::CreatePipe(&read_raw, &write_raw, &inheritable, 65536)) {
    return failed(ErrorCode::internal, "CreatePipe failed");
  }
  win::ScopedHandle read_end(read_raw);
  win::ScopedHandle write_end(write_raw);
  ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = write_end.get();
  startup.hStdError = write_end.get();
  PROCESS_INFORMATION info{};
  const ULONGLONG start = ::GetTickCount64();
  const BOOL created = ::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &info);
  // curl now holds the only write handle: the reads below end when it exits.
  write_end.reset();
  if (!created) return failed(ErrorCode::internal, "CreateProcess(curl.exe) failed");
  win::ScopedHandle process(info.hProcess);
  win::ScopedHandle thread(info.hThread);

  ProbeOutput output;
  char chunk[1024];
  DWORD got = 0;
  while (::ReadFile(read_end.get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) output.append(chunk, got);
  read_end.reset();

  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.get(), &exit_code);
  const ULONGLONG elapsed = ::GetTickCount64() - start;

  ProbeResult result;
  finish_probe(result, static_cast<std::int32_t>(exit_code), elapsed, output, proxy_server, url);
  return result;
}

}  // namespace vantrel
