// Entry point of vantrel-check.exe, a console program: explains what
// vantrel.exe, beside it, would do when started with the same arguments, or
// for every profile of a store.
//   vantrel-check.exe [--json] [--probe] [--strict] <the launcher's arguments>
//   vantrel-check.exe [--json] [--probe] [--strict] --profiles <folder>
// Exit codes: 0 reported, 2 usage error, 3 the probe failed, 4 a value the
// overlay fixes contradicts the proxy's egress, 5 (--strict) a problem was
// reported, in that precedence, for one profile and for a store alike.
#include <windows.h>

#include <memory>
#include <string>

#include "base/argument_quote.h"
#include "base/in_order.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_command_line.h"
#include "check/check_report.h"
#include "check/profile_store.h"
#include "check/report_json.h"
#include "check/report_text.h"
#include "discovery/worker_thread.h"
#include "launcher/engine_command_line.h"
#include "platform/platform.h"

namespace {

using namespace vantrel;
using platform::Stream;

// The report of one start with these arguments.
CheckReport check_start(const LauncherArguments& args, const ProfileChoice& profile, const CheckCommandLine& command) {
  CheckInputs in;
  in.plan = plan_launch(args, profile, platform::own_folder(), PlanUse::check);
  in.preview = preview_removals(in.plan.profile.folder, in.plan.removals);
  // The launcher's own discovery, without its window, pauses and records.
  if (command.probe) in.probe = probe_egress(in.plan.overlay, default_endpoints(), system_worker_hooks().probe);
  return make_check_report(std::move(in), command.strict);
}

// Every profile of the store, probes at most four at a time, the reports in
// folder-name order.
int check_store(const CheckCommandLine& command) {
  const std::vector<StoreProfile> profiles = store_profiles(platform::file_path(command.profiles));
  if (profiles.empty()) {
    const bool folder = platform::entry_kind(platform::file_path(command.profiles)) == platform::EntryKind::folder;
    platform::print(Stream::error, visible_text("vantrel-check: --profiles " + wide_to_utf8(command.profiles) +
                                         (folder ? ": holds no profile (no subfolder with a command-line.json, a Local State "
                                                          "or a Default folder)"
                                                 : ": no such folder")) + "\n");
    return static_cast<int>(CheckExit::usage);
  }
  std::vector<StoreResult> results(profiles.size());
  run_in_order(
      profiles.size(), command.jobs,
      [&](std::size_t i) {
        // Each profile as if started with its folder alone; the folder is
        // the store's entry itself, never its name read again.
        const std::wstring written = profiles[i].folder.shown();
        const std::wstring arg = USER_DATA_DIR_SWITCH + written;
        const LauncherArguments args = read_launcher_arguments(
            arg.find_first_of(L" \t\"") == std::wstring::npos ? arg : quote_windows_argument(arg));
        const CheckReport report = check_start(args, ProfileChoice{written, profiles[i].folder, false, written}, command);
        StoreResult& r = results[i];
        r.name = wide_to_utf8(profiles[i].name);
        r.probe_failed = report.in.probe && report.in.probe->failed();
        r.mismatch = report.mismatches() > 0;
        r.problems = report.problems.size();
        return command.json ? check_report_json(report) : check_store_block_text(r.name, report);
      },
      [](const std::string& report) { platform::print(Stream::output, report); });
  if (!command.json) platform::print(Stream::output, "\n" + visible_text(store_summary_text(results)) + "\n");
  return store_exit_code(results, command.strict);
}

}  // namespace

int wmain() {
  // DLLs only from System32, as in vantrel.exe (launcher/main_windows.cpp).
  ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetErrorMode(SEM_FAILCRITICALERRORS);  // as in vantrel.exe: no box for a drive without media
  const CheckCommandLine command = parse_check_command_line(::GetCommandLineW());
  if (!command.usage_error.empty()) {
    platform::print(Stream::error, visible_text(command.usage_error) + "\n" + check_usage());
    return static_cast<int>(CheckExit::usage);
  }
  if (command.help) {
    platform::print(Stream::output, check_usage());
    return 0;
  }
  if (!command.profiles.empty()) return check_store(command);
  const CheckReport report = check_start(command.launcher, choose_profile(command.launcher), command);
  platform::print(Stream::output, command.json ? check_report_json(report) : check_report_text(report));
  return static_cast<int>(report.exit);
}
