// The outcome of one curl run against a geo-IP endpoint.
#pragma once

#include <cstdint>
#include <string>

#include "records/error_code.h"

namespace vantrel {

// All strings UTF-8. `error_code` is none exactly when `ip` holds a usable
// address; the four answer fields may be filled even on discovery_http_error.
struct ProbeResult {
  std::string ip;
  std::int32_t curl_exit_code = -1;  // -1: curl never started
  std::uint64_t elapsed_ms = 0;      // 0: curl never started
  ErrorCode error_code = ErrorCode::none;
  std::string message;
  std::string country_code;
  std::string timezone;
  std::string geo_lat;    // the egress coordinates
  std::string geo_lng;
  // A Windows call that failed before curl could answer: "Windows error N
  // (text)" (platform::windows_error_text), else empty. Beside the message,
  // which keeps its fixed text for the records.
  std::string windows_error;
};

}  // namespace vantrel
