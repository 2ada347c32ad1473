#include "discovery/worker.h"

#include "discovery/country_language.h"
#include "records/records.h"
#include "vantrel/build_config.h"

namespace vantrel {

Endpoints default_endpoints() { return {VANTREL_PRIMARY_GEO_HOST, VANTREL_FALLBACK_GEO_HOST}; }

void derive_overrides(const PersonaOverlay& o, const ProbeResult& r, DiscoveryOutcome& out) {
  const auto derive = [&o](Added value, std::string& field, const std::string& egress) {
    if (launcher_adds(o, value)) field = egress;
  };
  derive(Added::webrtc_public_ip, out.webrtc_public_ip, r.ip);
  // Coordinates come as a pair or not at all.
  if (!r.geo_lat.empty() && !r.geo_lng.empty()) {
    derive(Added::geo_lat, out.geo_lat, r.geo_lat);
    derive(Added::geo_lng, out.geo_lng, r.geo_lng);
  }
  // An answer without a country gets the table's default, as an unlisted
  // country does: otherwise the Engine would speak the host's own language.
  const LanguagePair pair = lookup_country_language(r.country_code);
  derive(Added::lang, out.lang, pair.language_tag);
  derive(Added::accept_language, out.accept_language, pair.accept_language);
  derive(Added::timezone_override, out.timezone_override, r.timezone);
}

namespace {

// What a successful answer lacks of the values the overlay asks discovery
// for and does not give itself, in words; empty when nothing. A missing
// country is no such value: the table's default language tells nothing of
// the host.
std::string missing_values(const PersonaOverlay& o, const ProbeResult& r) {
  std::string missing;
  if (launcher_adds(o, Added::timezone_override) && r.timezone.empty()) missing = "time zone";
  if ((launcher_adds(o, Added::geo_lat) || launcher_adds(o, Added::geo_lng)) && (r.geo_lat.empty() || r.geo_lng.empty())) {
    missing += (missing.empty() ? "" : " and no usable ") + std::string("coordinates");
  }
  return missing;
}

}  // namespace

void run_discovery(const DiscoveryContext& context) {
  const PersonaOverlay& o = context.overlay;
  const Endpoints& endpoints = context.endpoints;
  const WorkerHooks& hooks = context.hooks;
  DiscoveryOutcome& outcome = *context.outcome;
  using Kind = DiscoveryReport::Kind;

  if (!context.error_record_path.empty()) hooks.delete_file(context.error_record_path);

  hooks.report({Kind::started, o.proxy_server});
  if (hooks.cancelled()) return;

  hooks.report({Kind::probing, endpoints.primary_host});
  ProbeResult result = hooks.probe(o.proxy_server, endpoints.primary_url());
  std::string last_url = endpoints.primary_url();
  // After a cancel nothing more goes through the proxy and nothing is
  // recorded: the user said stop.
  if (hooks.cancelled()) return;

  // Only the WebRTC address can come from the fallback's bare answer.
  if (result.error_code != ErrorCode::none && !o.auto_geo && !o.auto_lang && !o.auto_timezone) {
    hooks.report({Kind::trying_fallback, endpoints.fallback_host});
    const std::uint64_t primary_ms = result.elapsed_ms;
    result = hooks.probe(o.proxy_server, endpoints.fallback_url());
    result.elapsed_ms += primary_ms;
    last_url = endpoints.fallback_url();
    if (hooks.cancelled()) return;
  }

  // An answer without a value the persona needs is a failed discovery: the
  // Engine must not go online with the host's own time zone or position
  // while the record says "ok".
  const std::string missing = result.error_code == ErrorCode::none ? missing_values(o, result) : std::string();
  if (!missing.empty()) {
    result.error_code = ErrorCode::discovery_http_error;
    result.message = "the answer gave no usable " + missing;
  }

  outcome.ip = result.ip;
  outcome.error = result.error_code;
  outcome.country_code = result.country_code;
  outcome.provider = last_url == endpoints.fallback_url() ? endpoints.fallback_host : PRIMARY_PROVIDER;
  outcome.timezone = result.timezone;
  outcome.elapsed_ms = result.elapsed_ms;
  outcome.curl_exit_code = result.curl_exit_code;

  if (result.error_code != ErrorCode::none) {
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
    if (o.on_proxy_fail == OnProxyFail::block) outcome.blocked.exchange(true);
    hooks.report({Kind::failed, "", result.error_code, outcome.blocked.load()});
    // Falling back, the Engine still gets every value the answer did give.
    if (!outcome.blocked.load() && !missing.empty()) derive_overrides(o, result, outcome);
  } else {
    derive_overrides(o, result, outcome);
    hooks.report({Kind::found, result.ip});
  }
  if (hooks.cancelled()) return;

  const bool blocked = outcome.blocked.load();
  hooks.report({Kind::overrides_derived, "", ErrorCode::none, blocked, &outcome});
  if (hooks.cancelled()) return;
  hooks.report({Kind::finished, "", ErrorCode::none, blocked});
}

EgressProbe probe_egress(const PersonaOverlay& overlay, const Endpoints& endpoints,
                         const std::function<ProbeResult(const std::string&, const std::string&)>& probe) {
  EgressProbe asked;
  if (!is_socks5_proxy(overlay.proxy_server)) {
    asked.not_run_reason = overlay.proxy_server.empty() ? "no proxy is named: there is nothing to probe"
                                                        : "the check can probe only a socks5:// proxy, and this one is not";
    return asked;
  }
  asked.ran = true;
  WorkerHooks hooks;
  hooks.probe = [&asked, &probe](const std::string& proxy, const std::string& url) {
    asked.last = probe(proxy, url);
    asked.last_url = url;
    return asked.last;
  };
  hooks.report = [](const DiscoveryReport&) {};
  hooks.cancelled = [] { return false; };
  const auto outcome = std::make_shared<DiscoveryOutcome>();
  run_discovery({overlay, platform::FilePath(), endpoints, hooks, outcome});  // no record path: no record work
  asked.outcome = outcome;
  return asked;
}

}  // namespace vantrel
