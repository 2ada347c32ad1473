// The four rows of the progress window, shared by the discovery worker (which
// writes them) and the window's painter (which reads them).
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <string>

namespace vantrel {

struct ProgressStep {
  std::wstring label;   // set once by the main thread
  std::wstring detail;  // replaced by the worker as the step advances
  bool done = false;
  bool failed = false;
};

inline constexpr std::size_t PROGRESS_STEP_COUNT = 4;
using ProgressRows = std::array<ProgressStep, PROGRESS_STEP_COUNT>;

// Private window messages from the worker (posted, never sent).
inline constexpr unsigned WM_STEP_UPDATED = 0x0400 + 1;    // wParam: the row changed
inline constexpr unsigned WM_DISCOVERY_DONE = 0x0400 + 2;  // close the window

// The step list with its lock: every change replaces a row's detail and flags
// together, and readers take a copy, so a painter never sees a row halfway
// through a change.
class ProgressSteps {
 public:
  // Starts over with these labels, empty details and both flags false.
  void reset(const std::array<std::wstring, PROGRESS_STEP_COUNT>& labels);

  // Replaces row `index`'s detail and flags (the label stays).
  void update(std::size_t index, const std::wstring& detail, bool done, bool failed);

  ProgressRows snapshot() const;

 private:
  mutable std::mutex mutex_;
  ProgressRows rows_;
};

// The process-wide step list.
ProgressSteps& progress_steps();

}  // namespace vantrel
