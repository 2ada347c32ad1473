// The four rows of the progress window. The worker's reports arrive on its
// own thread while the window paints on the main thread: the rows carry their
// own lock.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <string>

namespace vantrel {

struct ProgressStep {
  std::wstring label;   // set once, before the window exists
  std::wstring detail;  // replaced as the step advances
  bool done = false;
  bool failed = false;
};

inline constexpr std::size_t PROGRESS_STEP_COUNT = 4;
using ProgressRows = std::array<ProgressStep, PROGRESS_STEP_COUNT>;

// "Loading persona overlay", "Discovering proxy egress IP", "Applying
// anti-detect overrides", "Launching chrome.exe".
ProgressRows initial_progress_rows();

// The step list with its lock: every change replaces a row's detail and flags
// together, and readers take a copy, so a painter never sees a row halfway
// through a change.
class ProgressSteps {
 public:
  ProgressSteps() : rows_(initial_progress_rows()) {}

  // Replaces row `index`'s detail and flags (the label stays).
  void update(std::size_t index, const std::wstring& detail, bool done, bool failed);

  ProgressRows snapshot() const;

 private:
  mutable std::mutex mutex_;
  ProgressRows rows_;
};

}  // namespace vantrel
