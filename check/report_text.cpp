#include "check/report_text.h"

#include <initializer_list>

#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_report.h"
#include "records/records.h"

namespace vantrel {

namespace {

// The report's lines. The fixed text is the check's own; every value from
// outside (the overlay, the profile's names, the network) goes in at a "{}",
// with the password of any URL in it hidden: one value at a time, so that
// no value can show one and no unrelated text is hidden with it. Each line
// is then shown visibly: a line break or escape sequence inside a value
// cannot break, hide or rewrite the report's own lines.
class Lines {
 public:
  void operator()(const char* format, std::initializer_list<std::string> values = {}) {
    std::string line;
    const std::string* value = values.begin();
    for (const char* c = format; *c != '\0'; ++c) {
      if (c[0] == '{' && c[1] == '}' && value != values.end()) {
        line += hide_url_passwords(*value++);
        ++c;
      } else {
        line += *c;
      }
    }
    text += visible_text(line) + "\n";
  }
  std::string text;
};

std::string utf8(const std::wstring& s) { return wide_to_utf8(s); }

void problem_lines(Lines& line, const std::vector<Problem>& problems) {
  for (const Problem& p : problems) {
    const ProblemRow& row = problem_row(p.code);
    if (p.setting.empty()) line("  {} {}: {}", {severity_text(row.severity), row.name, p.message});
    if (!p.setting.empty()) line("  {} {} ({}): {}", {severity_text(row.severity), row.name, p.setting, p.message});
  }
}

// A setting's value for a person.
std::string value_text(const SettingValue& v) {
  switch (v.kind) {
    case SettingValue::Kind::text: return v.text.empty() ? "(none)" : v.text;
    case SettingValue::Kind::flag: return v.on ? "true" : "false";
    case SettingValue::Kind::named: return v.on ? "named (the launcher adds no value of its own)" : "not named";
    case SettingValue::Kind::categories: break;
  }
  std::string text;
  for (const auto& [name, on] : v.categories) text += (text.empty() ? "" : ", ") + name + (on ? " true" : " false");
  return text.empty() ? "(nothing)" : text;
}

}  // namespace

std::string member_snippet(const std::string& written) {
  const std::string shown = blank_out_controls(hide_url_passwords(written));
  return shown.size() > 72 ? cut_at_character(shown, 71) + "\xE2\x80\xA6" : shown;
}

std::string check_report_text(const CheckReport& r) {
  const CheckInputs& in = r.in;
  const LaunchPlan& plan = in.plan;
  Lines line;
  if (plan.profile.ambiguous) {
    line("Overlay: not read: the Engine would open another profile folder than the launcher reads (see Problems).");
  } else if (plan.overlay_read()) {
    line("Overlay: {}", {utf8(plan.overlay_path.shown())});
  } else if (plan.overlay_state == platform::FileRead::folder) {
    line("Overlay: {} is a folder; the launcher keeps every setting's default.", {utf8(plan.overlay_path.shown())});
  } else if (!plan.overlay_why.empty()) {
    line("Overlay: {} exists but could not be read ({}); the launcher begins nothing.",
         {utf8(plan.overlay_path.shown()), plan.overlay_why});
  } else {
    line("Overlay: none found; every setting keeps its default. Looked at:");
    for (const std::wstring& p : r.looked_at) line("  {}", {utf8(p)});
  }
  const bool discovery = plan.path == StartPath::discovery;
  line("");
  line(discovery ? "Start: with egress discovery" : "Start: passthrough (no discovery)");
  line("  {}", {r.start_reason});
  line("  A start now would end: {}", {r.would_outcome});
  if (discovery) {
    line(plan.overlay.on_proxy_fail == OnProxyFail::block
             ? "  A failed discovery blocks the start (exit 42): \"on-proxy-fail\" is \"block\""
             : "  A failed discovery starts the Engine without derived values: \"on-proxy-fail\" is \"fallback\"");
  }
  line("");
  line("Settings, as the launcher reads them:");
  for (const SettingRead& s : r.settings) {
    line("  {}: {}", {s.setting->key, value_text(s.value)});
    if (!s.written.empty()) line("      from {}", {member_snippet(s.written)});
    for (const std::string& n : s.notes) line("      note: {}", {n});
  }
  if (!r.unknown_keys.empty()) {
    line("");
    line("Not read by the launcher:");
    for (const UnknownKey& u : r.unknown_keys) {
      if (u.nearest.empty()) line("  {}", {u.key});
      if (!u.nearest.empty()) line("  {} (did you mean {}?)", {u.key, u.nearest});
    }
  }
  line("");
  if (!plan.engine_found) line("Engine: missing ({}): vantrel.exe would stop with exit 1", {utf8(plan.engine_path)});
  line(discovery ? "Engine command line (<egress-...> marks values discovery derives):" : "Engine command line:");
  line("  {}", {utf8(r.engine_command_line)});
  line("");
  if (plan.profile_in_use) {
    line("Profile hygiene would delete nothing: the profile is in use (a running Engine holds its lockfile).");
  } else if (in.preview.removed.empty()) {
    line("Profile hygiene would delete nothing.");
  } else {
    line("Profile hygiene would delete:");
    for (const std::wstring& p : in.preview.removed) line("  {}", {utf8(p)});
  }
  for (const std::wstring& p : in.preview.kept_links) line("  kept, a link: {}", {utf8(p)});
  if (in.probe) {
    const EgressProbe& p = *in.probe;
    line("");
    if (!p.ran) {
      line("Probe: not run: {}", {p.not_run_reason});
    } else if (p.failed()) {
      line("Probe: failed, {}", {error_code_text(p.last.error_code)});
      line("  {}", {p.message()});
    } else {
      const DiscoveryOutcome& o = *p.outcome;
      line("Probe: egress {} ({}, {} ms)", {o.ip, o.provider, std::to_string(o.elapsed_ms)});
      line("  country {}, time zone {}", {o.country_code.empty() ? "unknown" : o.country_code,
                                          o.timezone.empty() ? "unknown" : o.timezone});
      line("  Engine command line with these values:");
      line("  {}", {utf8(r.probed_command_line)});
      line("");
      line(r.comparisons.empty() ? "Against the proxy's egress: the overlay fixes no value to compare"
                                 : "Against the proxy's egress:");
      for (const Comparison& c : r.comparisons) line("  {}: {}: {}", {c.setting, verdict_text(c.verdict), c.message});
    }
  }
  if (!r.problems.empty()) {
    line("");
    line("Problems:");
    problem_lines(line, r.problems);
  }
  return line.text;
}

std::string check_store_block_text(const std::string& name, const CheckReport& r) {
  const CheckInputs& in = r.in;
  std::string head = "would end " + r.would_outcome + ", " +
                     (in.plan.path == StartPath::discovery ? "discovery" : "passthrough") + " start";
  if (r.global_overlay) head += ", the global overlay applies (" + utf8(in.plan.overlay_path.shown()) + ")";
  if (!in.plan.overlay_read()) {
    head += in.plan.overlay_why.empty() ? ", no overlay (every setting keeps its default)" : ", overlay not read";
  }
  Lines line;
  if (in.probe && !in.probe->ran) {
    line("{}: {}, not probed: {}", {name, head, in.probe->not_run_reason});
  } else if (in.probe && in.probe->failed()) {
    line("{}: {}, probe failed: {}", {name, head, error_code_text(in.probe->last.error_code)});
  } else if (in.probe) {
    const ProbeResult& egress = in.probe->last;
    const std::size_t n = r.mismatches();
    line("{}: {}, egress {} ({}): {}",
         {name, head, egress.ip, egress.country_code.empty() ? "unknown country" : egress.country_code,
          n == 0 ? "no mismatch" : std::to_string(n) + " mismatch" + (n == 1 ? "" : "es")});
  } else {
    line("{}: {}", {name, head});
  }
  for (const Comparison& c : r.comparisons) {
    if (c.verdict != Verdict::agrees) line("  {} {}: {}", {verdict_text(c.verdict), c.setting, c.message});
  }
  problem_lines(line, r.problems);
  return line.text;
}

}  // namespace vantrel
