#include "ui/progress_steps.h"

namespace vantrel {

void ProgressSteps::reset(const std::array<std::wstring, PROGRESS_STEP_COUNT>& labels) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < PROGRESS_STEP_COUNT; ++i) rows_[i] = ProgressStep{labels[i], L"", false, false};
}

void ProgressSteps::update(std::size_t index, const std::wstring& detail, bool done, bool failed) {
  if (index >= PROGRESS_STEP_COUNT) return;
  std::lock_guard<std::mutex> lock(mutex_);
  ProgressStep& row = rows_[index];
  row.detail = detail;
  row.done = done;
  row.failed = failed;
}

ProgressRows ProgressSteps::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return rows_;
}

ProgressSteps& progress_steps() {
  // Never destroyed, like the discovery outcome: a worker still running
  // after a cancel may write a row while the process exits.
  static ProgressSteps* const steps = new ProgressSteps();
  return *steps;
}

}  // namespace vantrel
