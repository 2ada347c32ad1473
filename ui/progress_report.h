// How each report of the discovery worker changes the progress window's rows.
#pragma once

#include <cstddef>
#include <string>

#include "discovery/worker.h"
#include "ui/progress_steps.h"

namespace vantrel {

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
