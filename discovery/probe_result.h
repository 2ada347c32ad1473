// The outcome of one curl run against a geo-IP endpoint.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// All strings UTF-8. `error_code` is empty exactly when `ip` holds a usable
// address; the four answer fields may be filled even on DISCOVERY_HTTP_ERROR.
struct ProbeResult {
  std::string ip;
  std::int32_t curl_exit_code = -1;  // -1: curl never started
  std::uint64_t elapsed_ms = 0;      // 0: curl never started
  std::string error_code;            // empty, or one of the codes below
  std::string message;
  std::string country_code;
  std::string timezone;
  std::string latitude;
  std::string longitude;
};

// Error codes of a probe.
inline constexpr const char* ERROR_INTERNAL = "INTERNAL";
inline constexpr const char* ERROR_CURL_NOT_FOUND = "CURL_NOT_FOUND";
inline constexpr const char* ERROR_PROXY_UNREACHABLE = "PROXY_UNREACHABLE";
inline constexpr const char* ERROR_PROXY_TIMEOUT = "PROXY_TIMEOUT";
inline constexpr const char* ERROR_PROXY_AUTH_FAILED = "PROXY_AUTH_FAILED";
inline constexpr const char* ERROR_DISCOVERY_HTTP_ERROR = "DISCOVERY_HTTP_ERROR";

}  // namespace vantrel
