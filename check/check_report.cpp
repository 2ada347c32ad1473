#include "check/check_report.h"

#include <algorithm>

#include "base/shown_text.h"
#include "discovery/worker.h"
#include "launcher/engine_command_line.h"
#include "overlay/overlay_file.h"

namespace vantrel {

namespace {

std::string start_reason_text(const LaunchPlan& plan) {
  std::string list;
  for (const std::string& n : plan.needs) list += (list.empty() ? "" : ", ") + quoted(n);
  const std::string verb = plan.needs.size() == 1 ? " needs" : " need";
  switch (plan.reason) {
    case StartReason::nothing_needed: break;
    case StartReason::socks5_proxy: return list + verb + " the proxy's egress, and the proxy is socks5://";
    case StartReason::no_proxy: return list + " would need the proxy's egress, but no proxy is named";
    case StartReason::not_socks5: {
      const std::string scheme = proxy_scheme(plan.overlay.proxy_server);
      return list + " would need the proxy's egress, but the proxy's scheme is " +
             (scheme.empty() ? std::string("missing") : quoted(scheme)) + ", not socks5://";
    }
  }
  return "no setting asks for a value only the proxy's egress can give";
}

// What discovery would derive, marked as such.
void mark_outcome(const PersonaOverlay& o, DiscoveryOutcome& outcome) {
  ProbeResult r;
  r.ip = "<egress-ip>";
  r.country_code = "<egress-country>";
  r.timezone = "<egress-time-zone>";
  r.geo_lat = "<egress-latitude>";
  r.geo_lng = "<egress-longitude>";
  derive_overrides(o, r, outcome);
  if (!outcome.lang.empty()) outcome.lang = "<egress-language>";
  if (!outcome.accept_language.empty()) outcome.accept_language = "<egress-accept-language>";
}

// The check's notes on the storage categories the object selects: what
// hygiene acts on nothing for, with the nearest name it knows.
std::vector<std::string> category_notes(const std::map<std::string, bool>& categories) {
  std::vector<std::string> known = storage_category_names();
  known.push_back("all");
  std::vector<std::string> notes;
  for (const std::string& name : names_selecting_nothing(categories)) {
    const std::string typo_of = nearest(name, known);
    notes.push_back(quoted(name) + " selects nothing: category names are exact and case-sensitive" +
                    (typo_of.empty() ? std::string() : " (did you mean " + quoted(typo_of) + "?)"));
  }
  if (all_overrides_others(categories)) notes.push_back("\"all\" selects every category, also those set to false");
  return notes;
}

}  // namespace

CheckExit check_exit(bool probe_failed, bool mismatch, bool problem) {
  if (probe_failed) return CheckExit::probe_failed;
  if (mismatch) return CheckExit::mismatch;
  return problem ? CheckExit::problem : CheckExit::reported;
}

std::size_t CheckReport::mismatches() const {
  return static_cast<std::size_t>(std::count_if(comparisons.begin(), comparisons.end(),
                                                [](const Comparison& c) { return c.verdict == Verdict::mismatch; }));
}

CheckReport make_check_report(CheckInputs in, bool strict) {
  CheckReport r;
  const LaunchPlan& plan = in.plan;
  const std::vector<platform::FilePath> candidates =
      plan.profile.ambiguous ? std::vector<platform::FilePath>() : overlay_candidates(plan.profile.folder);
  for (const platform::FilePath& c : candidates) r.looked_at.push_back(c.shown());
  r.global_overlay = plan.overlay_read() && !plan.profile.folder.empty() && !(plan.overlay_path == candidates.front());
  r.start_reason = start_reason_text(plan);
  r.settings = plan.readings;
  for (SettingRead& s : r.settings) {
    if (s.value.kind != SettingValue::Kind::categories) continue;
    const std::vector<std::string> notes = category_notes(s.value.categories);
    s.notes.insert(s.notes.begin(), notes.begin(), notes.end());
    for (const NotRead& n : s.not_read) s.notes.push_back("not read: " + n.written + ": " + n.why);
  }
  std::vector<std::string> known;
  for (const OverlaySetting& k : overlay_settings()) known.push_back(k.key);
  known.push_back(RAW_SWITCHES_KEY);
  for (const std::string& key : plan.members.unknown_keys) r.unknown_keys.push_back({key, nearest(key, known)});
  DiscoveryOutcome marked;
  mark_outcome(plan.overlay, marked);
  r.engine_command_line = engine_command_line(plan, plan.form, marked);
  r.problems = check_problems(in);
  if (in.probe && in.probe->succeeded()) {
    r.probed_command_line = engine_command_line(plan, plan.form, *in.probe->outcome);
    r.comparisons = compare_with_egress(plan.readings, in.probe->last);
  }
  if (const std::optional<Ending> ending = not_begun(plan)) {
    r.would_outcome = ending_row(*ending).outcome;
  } else if (plan.path == StartPath::passthrough) {
    r.would_outcome = ending_row(Ending::started).outcome;
  } else if (!in.probe) {
    r.would_outcome = "needs_probe";
  } else {
    r.would_outcome = ending_row(in.probe->outcome && in.probe->outcome->blocked ? Ending::blocked : Ending::started).outcome;
  }
  r.exit = check_exit(in.probe && in.probe->failed(), r.mismatches() > 0, strict && !r.problems.empty());
  r.in = std::move(in);
  return r;
}

}  // namespace vantrel
