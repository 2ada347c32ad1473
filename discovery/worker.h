// The discovery worker: probes the primary geo-IP endpoint (and the fallback
// when allowed), derives the Engine overrides, records a failure and decides
// whether the start is blocked. It reports each step as it goes; what a
// report shows, and how long it stays on screen, is the reporter's business.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "discovery/outcome.h"
#include "discovery/probe_result.h"
#include "overlay/overlay_model.h"
#include "platform/platform.h"

namespace vantrel {

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

// One step of discovery, as the worker reports it.
struct DiscoveryReport {
  enum class Kind {
    started,            // text: the proxy URL, as the overlay gives it
    probing,            // text: the primary endpoint's host
    trying_fallback,    // text: the fallback endpoint's host
    found,              // text: the egress IP
    failed,             // error: why; blocked: whether the start is blocked
    overrides_derived,  // outcome: what was derived; blocked as above
    finished,           // blocked as above; the last report
  };
  Kind kind;
  std::string text;
  ErrorCode error = ErrorCode::none;
  bool blocked = false;
  const DiscoveryOutcome* outcome = nullptr;
};

// Everything the worker does outside its own logic. The product passes the
// real probe, the progress window's reporter and the file calls; tests pass
// doubles and run every path in microseconds.
struct WorkerHooks {
  std::function<ProbeResult(const std::string& proxy_server, const std::string& url)> probe;
  // Shows a report; may pause the calling thread so the user can read it.
  std::function<void(const DiscoveryReport& report)> report;
  // Whether the user cancelled the start (read after the first report, after
  // the probes' outcome and after the overrides).
  std::function<bool()> cancelled;
  std::function<void(const platform::FilePath& path)> delete_file;
  std::function<void(const platform::FilePath& path, const std::string& content)> write_file;
  std::function<std::string()> timestamp;
};

// The worker's input, owned and freed by the worker. The outcome is shared:
// a worker still probing after the launcher stopped waiting for it writes
// into an outcome that nobody frees under it.
struct DiscoveryContext {
  PersonaOverlay overlay;
  platform::FilePath error_record_path;  // empty: no record is deleted or written
  Endpoints endpoints;
  WorkerHooks hooks;
  std::shared_ptr<DiscoveryOutcome> outcome;
};

// The Engine overrides a successful probe gives for this overlay: only what
// it asks to derive and does not name itself.
void derive_overrides(const PersonaOverlay& overlay, const ProbeResult& result, DiscoveryOutcome& outcome);

// The worker's whole run for one context: stale error record, probes,
// verdict, overrides, reports. Writes the outcome's values and `blocked`.
void run_discovery(const DiscoveryContext& context);

// What discovery found when it was only asked (vantrel-check's --probe):
// whether it ran (only a "socks5://" proxy can be asked, whether or not the
// start needs discovery) or why not, and what it found or why it failed.
struct EgressProbe {
  bool ran = false;
  std::string not_run_reason;
  ProbeResult last;      // the last probe's result (error code and message on failure)
  std::string last_url;  // the endpoint it asked
  std::shared_ptr<const DiscoveryOutcome> outcome;  // what was derived
  bool failed() const { return ran && last.error_code != ErrorCode::none; }
  bool succeeded() const { return ran && last.error_code == ErrorCode::none; }
  // The last probe's message, and the system's word when a Windows call failed.
  std::string message() const { return last.message + (last.windows_error.empty() ? "" : ": " + last.windows_error); }
};

// The worker's discovery for `overlay`, asking through `probe`, and nothing
// else: no reports, no pauses, no cancel, no records.
EgressProbe probe_egress(const PersonaOverlay& overlay, const Endpoints& endpoints,
                         const std::function<ProbeResult(const std::string&, const std::string&)>& probe);

}  // namespace vantrel
