// Start-up benchmark, run under Wine: the time from creating a program's
// process until the stand-in Engine it starts is running (its first reading
// of the system-wide performance counter), for several variants alternating
// within one run.
//
//   startup_bench.exe RECORD_FILE RUNS NAME EXE PROFILE [NAME EXE PROFILE ...]
//
// Each EXE sits in a folder with the stand-in Engine as vantrel-engine.exe,
// which writes its start time to RECORD_FILE. EXE is started with
// "--user-data-dir=PROFILE". When PROFILE holds a result record afterwards,
// its "elapsed_ms" (time spent in curl) is reported as well.
//
// Then the launcher's one-start-per-profile lock on its own, as an unshared
// start takes it (the first variant's profile): naming the folder, taking
// the lock, asking for the marker, letting go; its median against the first
// variant's start.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile_lock.h"

namespace {

double counter_ms(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

std::string read_small_file(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::string();
  char buf[4096] = {};
  DWORD got = 0;
  ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
  CloseHandle(f);
  return std::string(buf, got);
}

long long number_after(const std::string& text, const char* key) {
  const size_t p = text.find(key);
  return p == std::string::npos ? -1 : _atoi64(text.c_str() + p + std::strlen(key));
}

struct Variant {
  std::wstring name, exe, profile;
  std::vector<double> start_ms, curl_ms;
};

// One start of `v`. Each start has a record file of its own: a stand-in
// Engine of an earlier start that is still writing cannot be mistaken for
// this one's. Every wait is bounded; on failure `why` says what happened.
bool run_once(Variant& v, const std::wstring& record_base, int serial, std::string& why) {
  const std::wstring record = record_base + L"." + std::to_wstring(serial);
  SetEnvironmentVariableW(L"VANTREL_FAKE_ENGINE_RECORD", record.c_str());
  const std::wstring result = v.profile + L"\\.orlisk-launcher-result.json";
  DeleteFileW(result.c_str());
  std::wstring line = L"\"" + v.exe + L"\" \"--user-data-dir=" + v.profile + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(v.exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    why = "CreateProcessW failed, error " + std::to_string(GetLastError());
    return false;
  }
  const DWORD waited = WaitForSingleObject(pi.hProcess, 120000);
  DWORD exit_code = STILL_ACTIVE;
  GetExitCodeProcess(pi.hProcess, &exit_code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  long long engine = -1;
  const ULONGLONG deadline = GetTickCount64() + 30000;
  while (waited == WAIT_OBJECT_0 && (engine = number_after(read_small_file(record), "\"started_qpc\":")) < 0 &&
         GetTickCount64() < deadline) {
    Sleep(2);
  }
  DeleteFileW(record.c_str());
  if (engine < 0) {
    const std::string record_text = read_small_file(result);
    why = (waited == WAIT_OBJECT_0 ? "the launcher exited with " + std::to_string(exit_code)
                                   : std::string("the launcher did not end within 120 s")) +
          " and no Engine start was recorded within 30 s; result record: " +
          (record_text.empty() ? std::string("none") : record_text);
    return false;
  }
  v.start_ms.push_back(counter_ms(engine - start.QuadPart));
  v.curl_ms.push_back(static_cast<double>(std::max(0LL, number_after(read_small_file(result), "\"elapsed_ms\":"))));
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 6 || (argc - 3) % 3 != 0) {
    std::fprintf(stderr, "usage: startup_bench RECORD RUNS NAME EXE PROFILE [NAME EXE PROFILE ...]\n");
    return 2;
  }
  const std::wstring record = argv[1];
  const int runs = _wtoi(argv[2]);
  std::vector<Variant> variants;
  for (int i = 3; i < argc; i += 3) variants.push_back({argv[i], argv[i + 1], argv[i + 2], {}, {}});
  int serial = 0;
  std::string why;
  for (int r = -1; r < runs; ++r) {  // run -1 warms up and is not counted
    for (Variant& v : variants) {
      if (!run_once(v, record, ++serial, why)) {
        std::fprintf(stderr, "%ls (run %d): %s\n", v.name.c_str(), r + 1, why.c_str());
        return 1;
      }
      if (r < 0) {
        v.start_ms.clear();
        v.curl_ms.clear();
      }
    }
  }
  std::printf("runs per variant: %d (alternating)\n", runs);
  for (const Variant& v : variants) {
    std::vector<double> own;
    for (size_t i = 0; i < v.start_ms.size(); ++i) own.push_back(v.start_ms[i] - v.curl_ms[i]);
    std::printf("%-12ls median %8.2f ms to Engine start; curl %7.2f ms; without curl %8.2f ms\n", v.name.c_str(),
                median(v.start_ms), median(v.curl_ms), median(own));
  }
  std::vector<double> lock_ms;
  for (int r = 0; r < runs; ++r) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    vantrel::platform::ProfileStartLock lock(
        vantrel::platform::folder_identity(vantrel::platform::file_path(variants[0].profile)),
        std::chrono::seconds(30));
    const bool busy = lock.waited_out() || lock.engine_starting();
    lock.release();
    QueryPerformanceCounter(&t1);
    if (busy) {
      std::fprintf(stderr, "the profile's start lock was not free\n");
      return 1;
    }
    lock_ms.push_back(counter_ms(t1.QuadPart - t0.QuadPart));
  }
  const double first = median(variants[0].start_ms);
  std::printf("start lock, unshared: median %.3f ms; a %ls start with it against one without: %.4f\n",
              median(lock_ms), variants[0].name.c_str(), first / (first - median(lock_ms)));
  for (size_t i = 1; i < variants.size(); ++i) {
    std::printf("ratio %ls/%ls (medians): %.3f\n", variants[0].name.c_str(), variants[i].name.c_str(),
                median(variants[0].start_ms) / median(variants[i].start_ms));
  }
  return 0;
}
