#include "check/report_text.h"

#include "base/text_encoding.h"
#include "check/check_report.h"
#include "records/records.h"
#include "ui/listing.h"

namespace vantrel {

namespace {

// "  warning code (setting): message", the password of any URL hidden.
std::string problem_line(const Problem& p) {
  return "  " + p.severity + " " + p.code + (p.setting.empty() ? "" : " (" + p.setting + ")") + ": " +
         hide_url_passwords(p.message);
}

}  // namespace

std::string visible_text(const std::string& text) {
  // Valid UTF-8 first (what is not becomes U+FFFD), then every control
  // character written out: C0 and DEL as \xHH, C1 (U+0080-U+009F) as \u00HH.
  const std::string utf8 = wide_to_utf8(utf8_to_wide(text));
  const char* digits = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (c < 0x20 || c == 0x7F) {
      out += std::string("\\x") + digits[c >> 4] + digits[c & 15];
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      out += std::string("\\u00") + digits[next >> 4] + digits[next & 15];
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string check_report_text(const CheckInputs& in) {
  const LaunchPlan& plan = in.plan;
  std::string t;
  // Each line is shown visibly: a line break or escape sequence inside a
  // value cannot break, hide or rewrite the report's own lines.
  const auto line = [&t](const std::string& s) { t += visible_text(s) + "\n"; };
  if (plan.overlay_read) {
    line("Overlay: " + wide_to_utf8(plan.overlay_path));
  } else if (!plan.overlay_unreadable.empty()) {
    line("Overlay: " + wide_to_utf8(plan.overlay_path) + " exists but could not be read (" + plan.overlay_unreadable +
         "); the launcher keeps every setting's default.");
  } else {
    line("Overlay: none found; every setting keeps its default. Looked at:");
    for (const std::wstring& p : looked_at(plan)) line("  " + wide_to_utf8(p));
  }
  const bool discovery = plan.path == StartPath::discovery;
  line("");
  line(std::string("Start: ") + (discovery ? "with egress discovery" : "passthrough (no discovery)"));
  line("  " + start_reason(plan.overlay, plan.path));
  if (discovery) {
    line(plan.overlay.on_proxy_fail == OnProxyFail::block
             ? "  A failed discovery blocks the start (exit 42): \"on-proxy-fail\" is \"block\""
             : "  A failed discovery starts the Engine without derived values: \"on-proxy-fail\" is \"fallback\"");
  }
  line("");
  line("Settings, as the launcher reads them:");
  for (const Setting& s : read_settings(plan)) {
    line("  " + s.key + ": " + s.value_text);
    if (!s.found.empty()) line("      from " + s.found);
    for (const std::string& n : s.notes) line("      note: " + n);
  }
  const auto unknown = unknown_overlay_keys(plan.overlay_text);
  if (!unknown.empty()) {
    line("");
    line("Not read by the launcher:");
    for (const auto& [key, near] : unknown) line("  " + key + (near.empty() ? "" : " (did you mean " + near + "?)"));
  }
  line("");
  if (!in.engine_found) {
    line("Engine: missing (" + wide_to_utf8(in.engine_path) + "): vantrel.exe would stop with exit 1");
  }
  line(std::string("Engine command line") + (discovery ? " (<egress-...> marks values discovery derives):" : ":"));
  line("  " + wide_to_utf8(checked_engine_command_line(in)));
  line("");
  if (plan.profile_in_use) {
    line("Profile hygiene would delete nothing: the profile is in use (a running Engine holds its lockfile).");
  } else if (in.preview.removed.empty()) {
    line("Profile hygiene would delete nothing.");
  } else {
    line("Profile hygiene would delete:");
    for (const std::wstring& p : in.preview.removed) line("  " + wide_to_utf8(p));
  }
  for (const std::wstring& p : in.preview.kept_links) line("  kept, a link: " + wide_to_utf8(p));
  if (in.probe != nullptr) {
    const ProbeReport& p = *in.probe;
    line("");
    if (!p.ran) {
      line("Probe: not run: " + p.not_run_reason);
    } else if (p.failed()) {
      line(std::string("Probe: failed, ") + error_code_text(p.last.error_code));
      line("  " + hide_url_passwords(p.last.message));
    } else {
      const DiscoveryOutcome& o = *p.outcome;
      line("Probe: egress " + o.ip + " (" + o.provider + ", " + std::to_string(o.elapsed_ms) + " ms)");
      line("  country " + (o.country_code.empty() ? "unknown" : o.country_code) + ", time zone " +
           (o.timezone.empty() ? "unknown" : o.timezone));
      line("  Engine command line with these values:");
      line("  " + wide_to_utf8(checked_engine_command_line(in, &o)));
      const std::vector<Comparison> comparisons = egress_comparisons(in);
      line("");
      line(comparisons.empty() ? "Against the proxy's egress: the overlay fixes no value to compare"
                               : "Against the proxy's egress:");
      for (const Comparison& c : comparisons) {
        line("  " + c.setting + ": " + verdict_text(c.verdict) + ": " + c.message);
      }
    }
  }
  const std::vector<Problem> problems = check_problems(in);
  if (!problems.empty()) {
    line("");
    line("Problems:");
    for (const Problem& p : problems) line(problem_line(p));
  }
  return t;
}

std::string check_store_block_text(const std::string& name, const CheckInputs& in) {
  std::string head = name + ": " + (in.plan.path == StartPath::discovery ? "discovery" : "passthrough") + " start";
  if (!in.plan.overlay_read) head += ", overlay not read";
  const std::vector<Comparison> comparisons = egress_comparisons(in);
  std::size_t mismatches = 0;
  for (const Comparison& c : comparisons) mismatches += c.verdict == Verdict::mismatch;
  const ProbeReport* probe = in.probe;
  if (probe != nullptr && !probe->ran) {
    head += ", not probed: " + probe->not_run_reason;
  } else if (probe != nullptr && probe->failed()) {
    head += std::string(", probe failed: ") + error_code_text(probe->last.error_code);
  } else if (probe != nullptr) {
    const ProbeResult& egress = probe->last;
    head += ", egress " + egress.ip + " (" + (egress.country_code.empty() ? "unknown country" : egress.country_code) +
            "): " + (mismatches == 0 ? "no mismatch" : std::to_string(mismatches) + " mismatch" +
                                                         (mismatches == 1 ? "" : "es"));
  }
  std::string t = visible_text(head) + "\n";
  for (const Comparison& c : comparisons) {
    if (c.verdict == Verdict::agrees) continue;
    t += visible_text("  " + std::string(verdict_text(c.verdict)) + " " + c.setting + ": " + c.message) + "\n";
  }
  for (const Problem& p : check_problems(in)) t += visible_text(problem_line(p)) + "\n";
  return t;
}

}  // namespace vantrel
