// Launch plans as the check makes them, from an overlay written into a
// fresh profile folder (the launcher's folder too, with an Engine there).
#pragma once

#include <string>

#include "base/argument_quote.h"
#include "check/check_report.h"
#include "launcher/launch_plan.h"
#include "support/temp_dir.h"

namespace vantrel::testing {

// The plan of a start with the profile folder `dir` (the launcher's folder
// too, with an Engine), as the check makes it.
inline LaunchPlan plan_for(const TempDir& dir, const std::wstring& more_arguments = L"") {
  write_file(dir.fs() / "vantrel-engine.exe", "");
  const LauncherArguments args =
      read_launcher_arguments(quote_windows_argument(L"--user-data-dir=" + dir.wide()) + more_arguments);
  return plan_launch(args, choose_profile(args), dir.wide(), PlanUse::check);
}

// What the check sees of an overlay read from a profile folder.
inline CheckInputs inputs_for(const std::string& overlay, const std::wstring& more_arguments = L"") {
  TempDir dir;
  write_file(dir.fs() / "command-line.json", overlay);
  CheckInputs in;
  in.plan = plan_for(dir, more_arguments);
  return in;
}

}  // namespace vantrel::testing
