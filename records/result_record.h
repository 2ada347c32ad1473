// The run records: the result record every start or block leaves, and the
// error record a failed discovery leaves.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/outcome.h"

namespace vantrel {

// The version the records report; the executable's version resource is
// separate.
inline constexpr const char* RECORD_LAUNCHER_VERSION = "0.28.0";

// The result record's text: one line of JSON with every member in its fixed
// order, then a line feed. `ts` is inserted as is; strings are escaped.
std::string build_result_record_json(const std::string& ts, const std::string& status, std::uint64_t elapsed_ms,
                                     const std::string& error_code, const std::string& message,
                                     const DiscoveryOutcome& outcome);

// Builds the record from the process-wide outcome with the current time and
// writes it atomically to make_result_record_path(). Failures are silent.
void write_result_record(const std::string& status, std::uint64_t elapsed_ms, const std::string& error_code,
                         const std::string& message);

// Why discovery failed, as written to the error record.
struct ErrorRecord {
  std::string step;
  std::string error_code;
  std::string message;
  std::string proxy;
  std::string discovery_url;
  std::int32_t curl_exit_code = -1;  // -1: curl never ran
  std::int64_t elapsed_ms = 0;
};

// The error record's text: "proxy" and "discovery_url" only when not empty,
// "curl_exit_code" only when 0 or more.
std::string build_error_record_json(const std::string& ts, const ErrorRecord& record);

}  // namespace vantrel
