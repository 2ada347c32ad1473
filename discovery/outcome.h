// What egress discovery leaves for the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "records/error_code.h"

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
  std::int32_t curl_exit_code = -1;  // the last probe's; -1 when curl did not run or crashed
  // Why discovery failed (the error record's code), blocked or not; none
  // when it succeeded. A successful answer that lacks a value the overlay
  // asks for (a time zone, coordinates) is a failure too.
  ErrorCode error = ErrorCode::none;

  // The derived values (UTF-8), each named after the Engine switch it fills;
  // set only on success and only for what launcher_adds() (the overlay asks
  // for it and does not give it itself).
  std::string webrtc_public_ip;
  std::string timezone_override;
  std::string lang;
  std::string accept_language;
  std::string geo_lat;
  std::string geo_lng;

  // A failed discovery with "on-proxy-fail" "block": the Engine must not start.
  std::atomic<bool> blocked{false};
};

}  // namespace vantrel
