#include "check/check_report.h"

#include <algorithm>

#include "base/json_extract.h"
#include "base/shown_text.h"
#include "discovery/worker.h"
#include "launcher/engine_command_line.h"
#include "overlay/overlay_file.h"

namespace vantrel {

namespace {

std::string start_reason(const PersonaOverlay& o, StartPath path) {
  const std::vector<std::string> needs = discovery_needs(o);
  std::string list;
  for (const std::string& n : needs) list += (list.empty() ? "" : ", ") + quoted(n);
  if (needs.empty()) return "no setting asks for a value only the proxy's egress can give";
  const std::string scheme = proxy_scheme(o.proxy_server);
  const std::string verb = needs.size() == 1 ? " needs" : " need";
  if (path == StartPath::discovery) return list + verb + " the proxy's egress, and the proxy is socks5://";
  if (o.proxy_server.empty()) return list + " would need the proxy's egress, but no proxy is named";
  return list + " would need the proxy's egress, but the proxy's scheme is " +
         (scheme.empty() ? std::string("missing") : quoted(scheme)) + ", not socks5://";
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

// The notes on the storage categories an object names: hygiene removes only
// those it knows, by their exact names.
std::vector<std::string> category_notes(const std::map<std::string, bool>& categories) {
  std::vector<std::string> known = storage_category_names();
  known.push_back("all");
  std::vector<std::string> notes;
  for (const auto& [name, on] : categories) {
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      const std::string near = nearest(name, known);
      notes.push_back(quoted(name) + " selects nothing: category names are exact and case-sensitive" +
                      (near.empty() ? std::string() : " (did you mean " + quoted(near) + "?)"));
    } else if (name == "all" && on && categories.size() > 1) {
      notes.push_back("\"all\" selects every category, also those set to false");
    }
  }
  return notes;
}

std::vector<UnknownKey> unknown_keys(const std::string& overlay_text) {
  std::vector<std::string> known;
  for (const OverlaySetting& k : overlay_settings()) known.push_back(k.key);
  known.push_back("chrome-command-line");
  std::vector<UnknownKey> unknown;
  for_each_member(overlay_text, [&](const std::string& key, const std::string&) {
    if (key.empty() || key[0] == '_' || std::find(known.begin(), known.end(), key) != known.end()) return;
    unknown.push_back({key, nearest(key, known)});
  });
  return unknown;
}

}  // namespace

std::string probe_not_run_reason(const PersonaOverlay& o) {
  if (is_socks5_proxy(o.proxy_server)) return std::string();
  if (o.proxy_server.empty()) return "no proxy is named: there is nothing to probe";
  return "the check can probe only a socks5:// proxy, and this one is not";
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
  r.global_overlay = plan.overlay_read && !plan.profile.folder.empty() && !(plan.overlay_path == candidates.front());
  r.start_reason = start_reason(plan.overlay, plan.path);
  r.settings = plan.readings;
  for (SettingRead& s : r.settings) {
    if (s.value.kind != SettingValue::Kind::categories) continue;
    const std::vector<std::string> notes = category_notes(s.value.categories);
    s.notes.insert(s.notes.begin(), notes.begin(), notes.end());
  }
  r.unknown_keys = unknown_keys(plan.overlay_text);
  const SwitchForm form = plan.path == StartPath::discovery ? SwitchForm::discovery : SwitchForm::passthrough;
  DiscoveryOutcome marked;
  mark_outcome(plan.overlay, marked);
  r.engine_command_line = engine_command_line(in.engine_path, plan, form, marked, in.host);
  r.problems = check_problems(in);
  if (in.probe && in.probe->succeeded()) {
    r.probed_command_line = engine_command_line(in.engine_path, plan, form, *in.probe->outcome, in.host);
    r.comparisons = compare_with_egress(plan.readings, in.probe->last);
  }
  if (in.probe && in.probe->failed()) {
    r.exit = CheckExit::probe_failed;
  } else if (r.mismatches() > 0) {
    r.exit = CheckExit::mismatch;
  } else if (strict && !r.problems.empty()) {
    r.exit = CheckExit::problem;
  }
  r.in = std::move(in);
  return r;
}

}  // namespace vantrel
