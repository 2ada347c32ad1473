// vantrel-check: what a start with given arguments would do, explained from
// the launcher's own launch plan. This unit gathers what the report says (the
// settings as read, the start and why, the Engine command line, the probe,
// the comparison with the egress, the problems); report_text and report_json
// render it. Nothing here writes, deletes or starts anything.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "check/consistency.h"
#include "check/problems.h"
#include "discovery/outcome.h"
#include "discovery/probe_result.h"
#include "launcher/engine_command_line.h"
#include "launcher/launch_plan.h"
#include "profile/hygiene.h"

namespace vantrel {

// The result of --probe: whether it ran, and what the launcher's own discovery
// found or why it failed.
struct ProbeReport {
  bool ran = false;
  std::string not_run_reason;
  ProbeResult last;  // the last probe's result (error code and message on failure)
  std::string last_url;  // the endpoint it asked
  std::shared_ptr<DiscoveryOutcome> outcome;
  bool failed() const { return ran && last.error_code != ErrorCode::none; }
  bool succeeded() const { return ran && last.error_code == ErrorCode::none; }
};

// Everything the report says.
struct CheckInputs {
  LaunchPlan plan;
  std::wstring engine_path;
  bool engine_found = false;
  std::wstring pass_through;
  std::vector<std::wstring> args;  // the launcher's arguments, split
  HostFigures host;
  RemovalPreview preview;
  const ProbeReport* probe = nullptr;  // null without --probe
};

// Why --probe asks nothing of this overlay's proxy, or empty when it does
// (a "socks5://" proxy, whether or not the start needs discovery: the values
// the overlay fixes are compared with the egress).
std::string probe_not_run_reason(const PersonaOverlay& overlay);

// One setting as the launcher reads it, with where it came from.
struct Setting {
  std::string key;
  std::string value_json;  // the value as JSON
  std::string value_text;  // the value for a person
  std::string found;       // the member as written, or empty when absent
  bool nested = false;
  std::vector<std::string> notes;
};

// Every key of the settings table, read as the launcher reads it.
std::vector<Setting> read_settings(const LaunchPlan& plan);

// Why the start is a passthrough or a discovery start.
std::string start_reason(const PersonaOverlay& overlay, StartPath path);

// Where the overlay was looked for, in order.
std::vector<std::wstring> looked_at(const LaunchPlan& plan);

// The Engine command line the start passes: exact for a passthrough start;
// for a discovery start with the derived values as <egress-...> marks (or,
// with `outcome`, the values a probe derived).
std::wstring checked_engine_command_line(const CheckInputs& in, const DiscoveryOutcome* outcome = nullptr);

// The top-level members of the overlay that the launcher does not read (names
// beginning with "_" excepted), each with the nearest key it reads when one
// is close (a typo), else empty.
std::vector<std::pair<std::string, std::string>> unknown_overlay_keys(const std::string& overlay_text);

// The comparisons with the egress when the probe succeeded, else none.
std::vector<Comparison> egress_comparisons(const CheckInputs& in);

// The check's exit code for one profile: 3 when the probe failed, else 4 when
// a fixed value contradicts the egress, else 5 when `strict` and there is a
// problem, else 0.
int check_exit_code(const CheckInputs& in, bool strict);

}  // namespace vantrel
