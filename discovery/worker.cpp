#include "discovery/worker.h"

#include "discovery/country_language.h"
#include "overlay/text_encoding.h"
#include "records/result_record.h"
#include "ui/listing.h"

#ifndef VANTREL_PRIMARY_GEO_HOST
#define VANTREL_PRIMARY_GEO_HOST "geoip.kestrin.net"
#endif
#ifndef VANTREL_FALLBACK_GEO_HOST
#define VANTREL_FALLBACK_GEO_HOST "myip.kestrin.net"
#endif

namespace vantrel {

Endpoints default_endpoints() { return {VANTREL_PRIMARY_GEO_HOST, VANTREL_FALLBACK_GEO_HOST}; }

namespace {

void derive_overrides(const PersonaOverlay& o, const ProbeResult& r, DiscoveryOutcome& out) {
  if (o.webrtc_no_leak && !o.has_webrtc_fake_public_ip) out.webrtc_public_ip = utf8_to_wide(r.ip);
  if (o.auto_geo && !r.latitude.empty() && !r.longitude.empty()) {
    if (!o.has_geo_lat) out.geo_lat = utf8_to_wide(r.latitude);
    if (!o.has_geo_lng) out.geo_lng = utf8_to_wide(r.longitude);
  }
  if (o.auto_lang && !r.country_code.empty()) {
    const LanguagePair pair = lookup_country_language(r.country_code);
    if (!o.has_lang) out.lang = utf8_to_wide(pair.language_tag);
    if (!o.has_accept_language) out.accept_language = utf8_to_wide(pair.accept_language);
  }
  if (o.auto_timezone && !r.timezone.empty() && !o.has_timezone_override) {
    out.timezone_override = utf8_to_wide(r.timezone);
  }
}

}  // namespace

std::wstring override_summary(const DiscoveryOutcome& outcome) {
  std::wstring summary;
  const std::pair<const wchar_t*, const std::wstring*> pairs[] = {
      {L"ip", &outcome.webrtc_public_ip}, {L"tz", &outcome.timezone_override}, {L"lang", &outcome.lang},
      {L"lat", &outcome.geo_lat},         {L"lng", &outcome.geo_lng},
  };
  for (const auto& [key, value] : pairs) {
    if (value->empty()) continue;
    if (!summary.empty()) summary += L' ';
    summary += std::wstring(key) + L"=" + *value;
  }
  return summary.empty() ? L"none (passthrough)" : summary;
}

void run_discovery(const DiscoveryContext& context, const Endpoints& endpoints, const WorkerHooks& hooks,
                   DiscoveryOutcome& outcome, ProgressSteps& steps) {
  const PersonaOverlay& o = context.overlay;
  auto cancelled = [&] { return outcome.cancelled.load(); };

  if (!context.error_record_path.empty()) hooks.delete_file(context.error_record_path);

  steps.update(0, utf8_to_wide(hide_url_passwords(o.proxy_server)), true, false);
  hooks.post(WM_STEP_UPDATED, 0);
  hooks.sleep(120);
  if (cancelled()) return;

  steps.update(1, utf8_to_wide("contacting " + endpoints.primary_host + " via SOCKS5\xE2\x80\xA6"), false, false);
  hooks.post(WM_STEP_UPDATED, 1);
  ProbeResult result = hooks.probe(o.proxy_server, endpoints.primary_url());
  std::string last_url = endpoints.primary_url();

  // Only the WebRTC address can come from the fallback's bare answer.
  if (!result.error_code.empty() && !o.auto_geo && !o.auto_lang && !o.auto_timezone) {
    steps.update(1, utf8_to_wide("primary failed \xE2\x80\x94 trying " + endpoints.fallback_host + "\xE2\x80\xA6"),
                 false, false);
    hooks.post(WM_STEP_UPDATED, 1);
    const std::uint64_t primary_ms = result.elapsed_ms;
    result = hooks.probe(o.proxy_server, endpoints.fallback_url());
    result.elapsed_ms += primary_ms;
    last_url = endpoints.fallback_url();
  }
  const std::string provider = last_url == endpoints.fallback_url() ? endpoints.fallback_host : PRIMARY_PROVIDER;

  outcome.ip = result.ip;
  outcome.country_code = result.country_code;
  outcome.provider = provider;
  outcome.timezone = result.timezone;
  outcome.elapsed_ms = result.elapsed_ms;

  if (!result.error_code.empty()) {
    ErrorRecord record;
    record.step = "discover_proxy_ip";
    record.error_code = result.error_code;
    record.message = result.message;
    record.proxy = o.proxy_server;
    record.discovery_url = last_url;
    record.curl_exit_code = result.curl_exit_code;
    record.elapsed_ms = static_cast<std::int64_t>(result.elapsed_ms);
    if (!context.error_record_path.empty()) {
      hooks.write_file(context.error_record_path, build_error_record_json(hooks.timestamp(), record));
    }
    const bool block = o.on_proxy_fail == "block";
    steps.update(1,
                 utf8_to_wide(block ? "BLOCKED: " + result.error_code
                                    : "WARN: " + result.error_code + " \xE2\x80\x94 chrome will fall back"),
                 true, true);
    if (block) outcome.blocked.exchange(true);
  } else {
    steps.update(1, utf8_to_wide(result.ip), true, false);
    derive_overrides(o, result, outcome);
  }

  const bool blocked = outcome.blocked.load();
  hooks.post(WM_STEP_UPDATED, 1);
  if (cancelled()) return;
  hooks.sleep(blocked ? 2500 : 180);

  if (blocked) {
    steps.update(2, utf8_to_wide("skipped \xE2\x80\x94 engine launch blocked"), true, true);
  } else {
    steps.update(2, override_summary(outcome), true, false);
  }
  hooks.post(WM_STEP_UPDATED, 2);
  hooks.sleep(120);
  if (cancelled()) return;

  steps.update(3, blocked ? L"aborted (exit 42)" : L"", true, blocked);
  hooks.post(WM_STEP_UPDATED, 3);
  hooks.sleep(80);
  hooks.post(WM_DISCOVERY_DONE, 0);
}

}  // namespace vantrel
