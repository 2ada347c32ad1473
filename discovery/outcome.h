// What egress discovery leaves for the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace vantrel {

// Written by the discovery worker and read by the main thread only after the
// worker's last report (which closes the progress window and so ends the main
// thread's message loop): that hand-over orders the writes before the reads.
// Before any discovery everything is empty, zero and false.
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

  // A failed discovery with "on-proxy-fail" "block": the Engine must not start.
  std::atomic<bool> blocked{false};
};

}  // namespace vantrel
