// Start-up benchmark, run under Wine: the time from starting a program until
// the stand-in Engine it starts is running, for vantrel.exe on its
// passthrough path and for the trampoline, alternating in one run.
//
//   startup_bench.exe LAUNCHER_EXE TRAMPOLINE_EXE PROFILE_DIR RECORD_FILE RUNS
//
// Each program sits in a folder with the stand-in Engine as
// vantrel-engine.exe; the Engine writes its start time (performance counter)
// to RECORD_FILE. Prints the median and quartiles of each, and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double counter_ms(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(f.QuadPart);
}

// Reads "started_qpc" from the Engine's record once it exists; -1 on timeout.
LONGLONG wait_for_engine(const std::wstring& record) {
  for (int i = 0; i < 20000; ++i) {
    HANDLE f = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
      char buf[64] = {};
      DWORD got = 0;
      ReadFile(f, buf, sizeof buf - 1, &got, nullptr);
      CloseHandle(f);
      const char* p = std::strstr(buf, "\"started_qpc\":");
      if (p != nullptr) return _atoi64(p + 14);
    }
    Sleep(1);
  }
  return -1;
}

double run_once(const std::wstring& exe, const std::wstring& profile, const std::wstring& record) {
  DeleteFileW(record.c_str());
  std::wstring line = L"\"" + exe + L"\" \"--user-data-dir=" + profile + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  const LONGLONG engine = wait_for_engine(record);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  Sleep(20);  // let the stand-in Engine finish and exit
  return engine < 0 ? -1 : counter_ms(engine - start.QuadPart);
}

struct Summary {
  double q1, median, q3;
};

Summary summarize(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1) + 0.5)]; };
  return {at(0.25), at(0.5), at(0.75)};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: startup_bench LAUNCHER TRAMPOLINE PROFILE RECORD RUNS\n");
    return 2;
  }
  const int runs = _wtoi(argv[5]);
  SetEnvironmentVariableW(L"VANTREL_FAKE_ENGINE_RECORD", argv[4]);
  std::vector<double> launcher, trampoline;
  run_once(argv[1], argv[3], argv[4]);  // warm the file cache
  run_once(argv[2], argv[3], argv[4]);
  for (int i = 0; i < runs; ++i) {
    const double a = run_once(argv[1], argv[3], argv[4]);
    const double b = run_once(argv[2], argv[3], argv[4]);
    if (a < 0 || b < 0) {
      std::fprintf(stderr, "a run did not start the Engine\n");
      return 1;
    }
    launcher.push_back(a);
    trampoline.push_back(b);
  }
  const Summary l = summarize(launcher), t = summarize(trampoline);
  std::printf("runs each: %d (alternating)\n", runs);
  std::printf("vantrel.exe passthrough: median %.2f ms (quartiles %.2f - %.2f)\n", l.median, l.q1, l.q3);
  std::printf("trampoline:              median %.2f ms (quartiles %.2f - %.2f)\n", t.median, t.q1, t.q3);
  std::printf("ratio launcher/trampoline (medians): %.3f\n", l.median / t.median);
  return 0;
}
