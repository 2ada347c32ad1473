// vantrel-check: what a start with given arguments would do, explained from
// the launcher's own launch plan, for a person (plain text) or a program
// (one JSON object). Nothing here writes, deletes or starts anything.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "discovery/outcome.h"
#include "discovery/probe_result.h"
#include "launcher/launch_plan.h"
#include "profile/hygiene.h"

namespace vantrel {

// The check's own command line: its options ("--json", "--probe", only
// before the launcher's arguments) and the rest, the launcher's arguments.
struct CheckCommandLine {
  bool json = false;
  bool probe = false;
  bool help = false;
  std::wstring pass_through;         // the rest of the text, exactly as vantrel.exe would receive it
  std::vector<std::wstring> args;    // the rest, split by the system's rules
  std::string usage_error;           // non-empty: exit 2 with this message
};

// `command_line` is the whole command line (GetCommandLineW); `argv` its
// split, program name included.
CheckCommandLine parse_check_command_line(const std::wstring& command_line, const std::vector<std::wstring>& argv);

// The text after the program name, as the runtime hands it to wWinMain: the
// name (quotes honoured) and the blanks after it removed.
std::wstring command_line_remainder(const std::wstring& command_line);

// The result of --probe: whether it ran, and what the launcher's own discovery
// found or why it failed.
struct ProbeReport {
  bool ran = false;
  std::string not_run_reason;
  ProbeResult last;  // the last probe's result (error code and message on failure)
  std::string last_url;  // the endpoint it asked
  std::shared_ptr<DiscoveryOutcome> outcome;
  bool failed() const { return ran && last.error_code != ErrorCode::none; }
};

// Everything the report says.
struct CheckInputs {
  LaunchPlan plan;
  std::wstring engine_path;
  bool engine_found = false;
  std::wstring pass_through;
  HostFigures host;
  RemovalPreview preview;
  const ProbeReport* probe = nullptr;  // null without --probe
};

// The Engine command line the start passes: exact for a passthrough start;
// for a discovery start with the derived values as <egress-...> marks (or,
// with `outcome`, the values a probe derived).
std::wstring checked_engine_command_line(const CheckInputs& in, const DiscoveryOutcome* outcome = nullptr);

// The report as one JSON object and a line feed (valid UTF-8 whatever the
// overlay holds; proxy passwords shown as ***).
std::string check_report_json(const CheckInputs& in);

// The report for a person: short lines, UTF-8.
std::string check_report_text(const CheckInputs& in);

// The top-level members of the overlay that the launcher does not read (names
// beginning with "_" excepted), each with the nearest key it reads when one
// is close (a typo), else empty.
std::vector<std::pair<std::string, std::string>> unknown_overlay_keys(const std::string& overlay_text);

}  // namespace vantrel
