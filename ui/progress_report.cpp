#include "ui/progress_report.h"

#include <utility>

#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "ui/listing.h"

namespace vantrel {

std::wstring override_summary(const DiscoveryOutcome& outcome) {
  std::string summary;
  const std::pair<const char*, const std::string*> pairs[] = {
      {"ip", &outcome.webrtc_public_ip}, {"tz", &outcome.timezone_override}, {"lang", &outcome.lang},
      {"lat", &outcome.geo_lat},         {"lng", &outcome.geo_lng},
  };
  for (const auto& [key, value] : pairs) {
    if (value->empty()) continue;
    if (!summary.empty()) summary += ' ';
    summary += std::string(key) + "=" + *value;
  }
  return summary.empty() ? L"none (passthrough)" : utf8_to_wide(summary);
}

ReportShown show_report(ProgressSteps& steps, const DiscoveryReport& report) {
  using Kind = DiscoveryReport::Kind;
  const std::string code = error_code_text(report.error);
  switch (report.kind) {
    case Kind::started:
      // The window is seen in screen shares: never the proxy's password.
      steps.update(0, utf8_to_wide(hide_url_passwords(report.text)), true, false);
      return {0, 120, false};
    case Kind::probing:
      steps.update(1, utf8_to_wide("contacting " + report.text + " via SOCKS5\xE2\x80\xA6"), false, false);
      return {1, 0, false};
    case Kind::trying_fallback:
      steps.update(1, utf8_to_wide("primary failed \xE2\x80\x94 trying " + report.text + "\xE2\x80\xA6"), false,
                   false);
      return {1, 0, false};
    case Kind::found:
      steps.update(1, utf8_to_wide(report.text), true, false);
      return {1, 180, false};
    case Kind::failed:
      steps.update(1,
                   utf8_to_wide(report.blocked ? "BLOCKED: " + code
                                               : "WARN: " + code + " \xE2\x80\x94 chrome will fall back"),
                   true, true);
      // A blocked start stays on screen long enough to be read.
      return {1, report.blocked ? 2500u : 180u, false};
    case Kind::overrides_derived:
      if (report.blocked) {
        steps.update(2, L"skipped \x2014 engine launch blocked", true, true);
      } else {
        steps.update(2, report.outcome ? override_summary(*report.outcome) : L"none (passthrough)", true, false);
      }
      return {2, 120, false};
    case Kind::finished:
      steps.update(3, report.blocked ? L"aborted (exit 42)" : L"", true, report.blocked);
      return {3, 80, true};
  }
  return {0, 0, false};
}

}  // namespace vantrel
