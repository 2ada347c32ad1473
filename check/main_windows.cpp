// Entry point of vantrel-check.exe, a console program: explains what
// vantrel.exe, beside it, would do when started with the same arguments.
//   vantrel-check.exe [--json] [--probe] <the launcher's arguments>
// Exit codes: 0 reported, 2 usage error, 3 the probe failed (report printed).
#include <windows.h>

#include <memory>
#include <string>

#include "base/text_encoding.h"
#include "check/check_report.h"
#include "discovery/worker_thread.h"
#include "launcher/engine_command_line.h"
#include "platform/platform.h"

namespace {

using namespace vantrel;

constexpr const char* kUsage =
    "usage: vantrel-check.exe [--json] [--probe] <the launcher's arguments>\n"
    "  Explains the start vantrel.exe (beside this program) would make with these arguments;\n"
    "  writes, deletes and starts nothing.\n"
    "  --json   one JSON object instead of text\n"
    "  --probe  for a start with egress discovery: ask the geo-IP endpoint through the proxy\n";

// UTF-8 to a file or pipe as it is; to a console as UTF-16, which shows
// every character whatever the console's code page.
void print(DWORD which, const std::string& utf8) {
  HANDLE out = ::GetStdHandle(which);
  DWORD mode = 0;
  DWORD written = 0;
  if (::GetConsoleMode(out, &mode)) {
    const std::wstring wide = utf8_to_wide(utf8);
    ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

// The launcher's own discovery, with no window, no pauses and no records:
// the error record goes nowhere, the last probe's result is kept.
ProbeReport probe(const LaunchPlan& plan) {
  ProbeReport report;
  if (plan.path != StartPath::discovery) {
    report.not_run_reason = "a passthrough start asks nothing of the proxy";
    return report;
  }
  report.ran = true;
  report.outcome = std::make_shared<DiscoveryOutcome>();
  DiscoveryContext context{plan.overlay, L"", default_endpoints(), system_worker_hooks(), report.outcome};
  const auto real_probe = context.hooks.probe;
  context.hooks.probe = [&report, real_probe](const std::string& proxy, const std::string& url) {
    report.last = real_probe(proxy, url);
    report.last_url = url;
    return report.last;
  };
  context.hooks.report = [](const DiscoveryReport&) {};
  context.hooks.cancelled = [] { return false; };
  run_discovery(context);
  return report;
}

}  // namespace

int wmain() {
  std::vector<std::wstring> argv{L""};
  for (std::wstring& a : platform::own_arguments()) argv.push_back(std::move(a));
  const CheckCommandLine command = parse_check_command_line(::GetCommandLineW(), argv);
  if (!command.usage_error.empty()) {
    print(STD_ERROR_HANDLE, command.usage_error + "\n" + kUsage);
    return 2;
  }
  if (command.help) {
    print(STD_OUTPUT_HANDLE, kUsage);
    return 0;
  }

  CheckInputs in;
  in.plan = plan_launch(command.args, platform::own_folder());
  in.engine_path = engine_path_for(in.plan.launcher_dir);
  in.engine_found = platform::path_exists(in.engine_path);
  in.pass_through = command.pass_through;
  in.host = query_host_figures(in.plan.overlay);
  in.preview = preview_removals(in.plan.user_data_dir, in.plan.removals);
  ProbeReport probed;
  if (command.probe) {
    probed = probe(in.plan);
    in.probe = &probed;
  }
  print(STD_OUTPUT_HANDLE, command.json ? check_report_json(in) : check_report_text(in));
  return probed.failed() ? 3 : 0;
}
