#include "ui/progress_steps.h"

namespace vantrel {

ProgressRows initial_progress_rows() {
  ProgressRows rows;
  const wchar_t* const labels[PROGRESS_STEP_COUNT] = {L"Loading persona overlay", L"Discovering proxy egress IP",
                                                      L"Applying anti-detect overrides", L"Launching chrome.exe"};
  for (std::size_t i = 0; i < PROGRESS_STEP_COUNT; ++i) rows[i].label = labels[i];
  return rows;
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

}  // namespace vantrel
