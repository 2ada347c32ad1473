// The discovery worker: probes the primary geo-IP endpoint (and the fallback
// when allowed), derives the Engine overrides, records a failure, decides
// whether the start is blocked, and walks the progress rows along.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "discovery/outcome.h"
#include "discovery/probe_result.h"
#include "overlay/overlay_model.h"
#include "ui/progress_steps.h"

namespace vantrel {

// The worker's input: a copy of the overlay and the error record's path
// (empty when no folder could be determined). Owned and freed by the worker.
struct DiscoveryContext {
  PersonaOverlay overlay;
  std::wstring error_record_path;
};

// The two geo-IP endpoints; their host names are build settings.
struct Endpoints {
  std::string primary_host;   // answers "/geoip?format=json" with JSON
  std::string fallback_host;  // answers "/myip" with the bare address
  std::string primary_url() const { return "https://" + primary_host + "/geoip?format=json"; }
  std::string fallback_url() const { return "https://" + fallback_host + "/myip"; }
};
Endpoints default_endpoints();

// Label of the primary endpoint in the records; the fallback's is its host.
inline constexpr const char* PRIMARY_PROVIDER = "kestrin";

// Everything the worker does outside its own logic. The product passes the
// real probe, Sleep, PostMessageW to the progress window and the file calls;
// tests pass doubles and run every path in milliseconds.
struct WorkerHooks {
  std::function<ProbeResult(const std::string& proxy_server, const std::string& url)> probe;
  std::function<void(unsigned milliseconds)> sleep;
  std::function<void(unsigned message, std::size_t row)> post;
  std::function<void(const std::wstring& path)> delete_file;
  std::function<void(const std::wstring& path, const std::string& content)> write_file;
  std::function<std::string()> timestamp;
};

// The worker's whole run for one context. Reads `outcome.cancelled` at its
// three check points and writes the outcome's values and `blocked`.
void run_discovery(const DiscoveryContext& context, const Endpoints& endpoints, const WorkerHooks& hooks,
                   DiscoveryOutcome& outcome, ProgressSteps& steps);

// "ip=... tz=... lang=... lat=... lng=..." for the overrides that are set, or
// "none (passthrough)".
std::wstring override_summary(const DiscoveryOutcome& outcome);

}  // namespace vantrel
