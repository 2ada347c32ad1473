// The Windows side of the curl probe: locating curl.exe, the pipe, the
// hidden child process in its job, and the reading of its output.
#include <windows.h>

#include <vector>

#include "discovery/curl_probe.h"
#include "base/scoped_handle.h"
#include "platform/platform.h"

namespace vantrel {

namespace {
// A failed probe; `windows_error`, when not 0, is the failed call's error.
ProbeResult failed(ErrorCode code, const std::string& message, DWORD windows_error = 0) {
  ProbeResult r;
  r.error_code = code;
  r.message = message;
  if (windows_error != 0) r.windows_error = platform::windows_error_text(windows_error);
  return r;
}

// The job that every curl of this process runs in. Its one handle lives as
// long as the process: when the process ends, normally, after a cancel, or
// killed by its caller, the system closes it and kills what runs in it.
// `error` receives why it could not be made.
HANDLE probe_job(DWORD* error = nullptr) {
  static DWORD creation_error = 0;
  static const win::ScopedHandle job([] {
    HANDLE created = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (created == nullptr) {
      creation_error = ::GetLastError();
    } else if (!::SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      creation_error = ::GetLastError();
      ::CloseHandle(created);
      created = nullptr;
    }
    return created;
  }());
  if (error != nullptr) *error = creation_error;
  return job.get();
}

// The attribute list that lets a child inherit exactly one handle.
class OneInheritedHandle {
 public:
  explicit OneInheritedHandle(HANDLE handle) : handle_(handle) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    buffer_.resize(size);
    list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    if (size == 0 || !::InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
      error_ = ::GetLastError();
      list_ = nullptr;
      return;
    }
    if (!::UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle_, sizeof handle_, nullptr,
                                     nullptr)) {
      error_ = ::GetLastError();
      ::DeleteProcThreadAttributeList(list_);
      list_ = nullptr;
    }
  }
  ~OneInheritedHandle() {
    if (list_ != nullptr) ::DeleteProcThreadAttributeList(list_);
  }
  OneInheritedHandle(const OneInheritedHandle&) = delete;
  OneInheritedHandle& operator=(const OneInheritedHandle&) = delete;
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }
  DWORD error() const { return error_; }  // why get() is null

 private:
  HANDLE handle_;
  std::vector<unsigned char> buffer_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
  DWORD error_ = 0;
};
}  // namespace

void end_curl_probes() {
  if (probe_job() != nullptr) ::TerminateJobObject(probe_job(), 1);
}

ProbeResult run_curl_probe(const std::string& proxy_server, const std::string& url) {
  const std::string refusal = proxy_url_refusal(proxy_server);
  if (!refusal.empty()) return failed(ErrorCode::internal, refusal);
  // Asked for its size first: no fixed buffer limits the folder.
  std::wstring system_dir(::GetSystemDirectoryW(nullptr, 0), L'\0');
  const UINT length =
      system_dir.empty() ? 0 : ::GetSystemDirectoryW(system_dir.data(), static_cast<UINT>(system_dir.size()));
  if (length == 0 || length >= system_dir.size()) {
    return failed(ErrorCode::internal, "GetSystemDirectoryW failed", ::GetLastError());
  }
  system_dir.resize(length);
  const std::wstring curl = system_dir + L"\\curl.exe";
  if (!platform::path_exists(platform::file_path(curl))) {
    return failed(ErrorCode::curl_not_found, "curl.exe missing from System32 (Windows 10 1803+ ships it)");
  }
  DWORD job_error = 0;
  if (probe_job(&job_error) == nullptr) {
    return failed(ErrorCode::internal, "CreateJobObject failed; curl was not run", job_error);
  }
  const std::wstring line = curl_command_line(curl, proxy_server, url);
  std::vector<wchar_t> buffer(line.begin(), line.end());
  buffer.push_back(L'\0');

  // One pipe for standard output and standard error. Only the write end is
  // inheritable, and curl inherits it alone: no handle that the launcher's
  // caller let it inherit reaches curl.
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_raw = nullptr;
  HANDLE write_raw = nullptr;
  if (!::CreatePipe(&read_raw, &write_raw, &inheritable, 65536)) {
    return failed(ErrorCode::internal, "CreatePipe failed", ::GetLastError());
  }
  win::ScopedHandle read_end(read_raw);
  win::ScopedHandle write_end(write_raw);
  ::SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
  const OneInheritedHandle inherit_only(write_end.get());
  if (inherit_only.get() == nullptr) {
    return failed(ErrorCode::internal, "InitializeProcThreadAttributeList failed", inherit_only.error());
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = nullptr;
  startup.StartupInfo.hStdOutput = write_end.get();
  startup.StartupInfo.hStdError = write_end.get();
  startup.lpAttributeList = inherit_only.get();
  PROCESS_INFORMATION info{};
  const ULONGLONG start = ::GetTickCount64();
  // Suspended until it is in the job, so that not one instruction of curl
  // runs outside it.
  const BOOL created = ::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                        nullptr, &startup.StartupInfo, &info);
  const DWORD create_error = ::GetLastError();
  // curl now holds the only write handle: the reads below end when it exits.
  write_end.reset();
  if (!created) return failed(ErrorCode::internal, "CreateProcess(curl.exe) failed", create_error);
  win::ScopedHandle process(info.hProcess);
  win::ScopedHandle thread(info.hThread);
  if (!::AssignProcessToJobObject(probe_job(), process.get())) {
    const DWORD assign_error = ::GetLastError();
    ::TerminateProcess(process.get(), 1);
    return failed(ErrorCode::internal, "AssignProcessToJobObject failed; curl was not run", assign_error);
  }
  ::ResumeThread(thread.get());

  // Read until the pipe says that curl closed it: a read of zero bytes is a
  // write of zero bytes by curl, not the end.
  ProbeOutput output;
  char chunk[1024];
  DWORD got = 0;
  while (::ReadFile(read_end.get(), chunk, sizeof(chunk), &got, nullptr)) output.append(chunk, got);
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
