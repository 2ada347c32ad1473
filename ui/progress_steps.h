// The four rows of the progress window, and how each report of the discovery
// worker changes them. The worker's reports arrive on its own thread while
// the window paints on the main thread: the rows carry their own lock.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <string>

#include "discovery/worker.h"

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

// How the window shows one report: the row it changed, how long the worker
// then pauses so that the user can read it, and whether the window closes
// after that pause (the last report).
struct ReportShown {
  std::size_t row;
  unsigned pause_ms;
  bool close_window;
};
ReportShown show_report(ProgressSteps& steps, const DiscoveryReport& report);

// "ip=... tz=... lang=... lat=... lng=..." for the overrides that are set, or
// "none (passthrough)".
std::wstring override_summary(const DiscoveryOutcome& outcome);

}  // namespace vantrel
