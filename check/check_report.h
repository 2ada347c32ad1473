// vantrel-check: what a start with given arguments would do, rendered from
// the launcher's own launch plan (which holds every fact of the start and the
// reader's record of how the overlay was read). This unit adds only the
// check's own work: the file's byte-level checks and the problems, typo
// suggestions, the comparison with the egress, the exit code. report_text
// and report_json only render the report. Nothing here writes, deletes or
// starts anything.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/consistency.h"
#include "check/problems.h"
#include "discovery/outcome.h"
#include "discovery/probe_result.h"
#include "discovery/worker.h"
#include "launcher/launch_plan.h"
#include "profile/hygiene.h"

namespace vantrel {

// What the check looks at for one start.
struct CheckInputs {
  LaunchPlan plan;  // made with PlanUse::check
  RemovalPreview preview;
  std::optional<EgressProbe> probe;  // none without --probe
};

// The check's exit codes, for one profile and for a store alike.
enum class CheckExit { reported = 0, usage = 2, probe_failed = 3, mismatch = 4, problem = 5 };

// The one precedence: 3 when a probe failed, else 4 when a fixed value
// contradicts the egress, else 5 when a problem counts (with --strict),
// else 0; so a failed probe is never hidden behind a higher number.
CheckExit check_exit(bool probe_failed, bool mismatch, bool problem);

struct UnknownKey {
  std::string key;
  std::string nearest;  // the key the launcher reads that it is a typo of, or empty
};

// Everything the report of one start says, computed once.
struct CheckReport {
  CheckInputs in;
  std::vector<std::wstring> looked_at;  // where the overlay was looked for, in order, as shown
  bool global_overlay = false;          // the overlay read is the global one, not the profile's own
  std::string start_reason;             // why the start is a passthrough or a discovery start
  std::vector<SettingRead> settings;    // the launcher's readings, with the check's notes on categories
  std::vector<UnknownKey> unknown_keys;  // top-level members the launcher does not read ("_" names excepted)
  // The Engine command line the start passes: exact for a passthrough start,
  // with <egress-...> marks where discovery derives values; and with the
  // values a successful probe derived (else empty).
  std::wstring engine_command_line;
  std::wstring probed_command_line;
  std::vector<Problem> problems;
  std::vector<Comparison> comparisons;  // with the egress, when the probe succeeded
  // What a start would end as now: an outcome of the table of endings (the
  // ending decided before anything is begun; "blocked" when the probe
  // failed and the overlay blocks; else "started"), or "needs_probe" for a
  // discovery start checked without --probe.
  std::string would_outcome;
  CheckExit exit = CheckExit::reported;
  std::size_t mismatches() const;
};

CheckReport make_check_report(CheckInputs in, bool strict);

}  // namespace vantrel
