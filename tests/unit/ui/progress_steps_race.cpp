// The discovery worker writes the progress rows while the window paints them.
// Run under ThreadSanitizer: a writer replaces details and flags as fast as it
// can while a painter takes snapshots; every snapshot row must be one whole
// state the writer wrote, never a mixture. Prints "N passed, N failed".
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "ui/progress_steps.h"

int main() {
  using vantrel::ProgressSteps;
  ProgressSteps steps;
  // Two states per row, told apart by their detail; the flags go with it.
  const std::wstring long_detail(4096, L'x');
  std::atomic<bool> stop{false};
  int failures = 0;

  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      // Every row gets both states in turn: row i % 4, state (i / 4) % 2.
      const std::size_t row = static_cast<std::size_t>(i) % 4;
      if ((i / 4) % 2 == 0) {
        steps.update(row, long_detail, true, false);
      } else {
        steps.update(row, L"short", false, true);
      }
    }
    stop = true;
  });
  std::thread painter([&] {
    while (!stop) {
      for (const auto& row : steps.snapshot()) {
        const bool whole = (row.detail.empty() && !row.done && !row.failed) ||
                           (row.detail == long_detail && row.done && !row.failed) ||
                           (row.detail == L"short" && !row.done && row.failed);
        if (!whole) ++failures;
      }
    }
  });
  writer.join();
  painter.join();
  std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
  return failures == 0 ? 0 : 1;
}
