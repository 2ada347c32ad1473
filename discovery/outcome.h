// What egress discovery leaves for the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vantrel {

// Written by the discovery worker (the flags as noted) and read by the main
// thread only after its message loop has ended: the worker's final posted
// message hands the values over. While no worker has run everything is
// empty, zero and false, which readers treat as "nothing discovered".
struct DiscoveryOutcome {
  // What the egress looked like (UTF-8), set at the end of discovery.
  std::string ip;            // empty after a failure
  std::string timezone;      // as the endpoint reported it
  std::string country_code;
  std::string provider;      // label of the endpoint asked last
  std::uint64_t elapsed_ms = 0;  // summed over the probes run

  // Engine overrides (UTF-16), set only on success and only for settings
  // that the overlay does not name itself.
  std::wstring webrtc_public_ip;
  std::wstring geo_lat;
  std::wstring geo_lng;
  std::wstring lang;
  std::wstring accept_language;
  std::wstring timezone_override;

  // Set once by atomic exchange, never reset within a run.
  std::atomic<bool> cancelled{false};  // by the progress window on close
  std::atomic<bool> blocked{false};    // by the worker: failure with "block"
};

// The process-wide outcome.
DiscoveryOutcome& discovery_outcome();

}  // namespace vantrel
