// The run records: the result record every start or block leaves, and the
// error record a failed discovery leaves. Both are one line of JSON with their
// members in a fixed order, written with write_file_atomic; they take plain
// values, so that whoever holds them can write them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "records/endings.h"
#include "records/error_code.h"

namespace vantrel {

inline constexpr const char* ERROR_RECORD_NAME = ".orlisk-launcher-error.json";
inline constexpr const char* RESULT_RECORD_NAME = ".orlisk-launcher-result.json";

// The records' format version. Callers read it to know the members, so it
// stays 0.28.0 while the executable's version moves on.
inline constexpr const char* RECORD_LAUNCHER_VERSION = "0.28.0";

// The record `name` in the profile folder when one is named (not empty),
// else in the local application-data folder's "Orlisk", else empty.
platform::FilePath record_path(const platform::FilePath& profile, const char* name);

enum class RunStatus { passthrough, ok, blocked, degraded };

// What discovery found and derived, as the result record shows it (UTF-8);
// all empty when no discovery ran.
struct DiscoveredValues {
  std::string ip, timezone, country_code, geo_lat, geo_lng, lang, accept_language, provider;
};

// The result record's text. `ts` is inserted as is; strings are escaped.
std::string build_result_record_json(const std::string& ts, RunStatus status, std::uint64_t elapsed_ms,
                                     ErrorCode error, const std::string& message, const DiscoveredValues& values);

// Why discovery failed, as written to the error record.
struct ErrorRecord {
  std::string step;
  ErrorCode error_code = ErrorCode::none;
  std::string message;
  std::string proxy;
  std::string discovery_url;
  std::int32_t curl_exit_code = -1;  // -1: curl never ran
  std::int64_t elapsed_ms = 0;
};

// The error record's text: "proxy" and "discovery_url" only when not empty,
// "curl_exit_code" only when 0 or more.
std::string build_error_record_json(const std::string& ts, const ErrorRecord& record);

// The outcome file: how one run ended, for a caller that asks for it with
// this argument (its value the file's path; the first one with a value
// counts). schemas/outcome.schema.json describes it.
inline constexpr const wchar_t* OUTCOME_FILE_SWITCH = L"--vantrel-outcome-file=";

// What became of the profile hygiene the overlay asks for.
enum class Cleaning {
  not_done,                // the run ended before its cleaning step (or before the overlay was read)
  done,                    // every planned item was tried; one another program holds stays
  skipped_profile_in_use,  // a running Engine holds the profile: nothing is removed from under it
  // Another start of the profile has created an Engine that has not yet
  // taken the profile's lockfile, or is still starting: nothing is removed
  // from under the starting browser.
  skipped_profile_starting,
  not_asked,  // the overlay asks for none
};

struct RunEnding {
  Ending outcome = Ending::started;
  int exit_code = 0;
  std::int64_t engine_pid = -1;  // the process the launcher created; -1: none
  bool result_record_written = false;
  RunStatus status = RunStatus::passthrough;  // the written record's
  ErrorCode error = ErrorCode::none;          // the written record's
  std::int32_t curl_exit_code = -1;           // the last probe's; -1: curl did not run
  Cleaning cleaning = Cleaning::not_done;
  std::uint64_t run_ms = 0;  // the launcher's own run time
  // Whose run it is: the launcher's process id and creation time (UTC,
  // "YYYY-MM-DDTHH:MM:SS.mmmZ"), which the caller got from CreateProcess.
  std::int64_t launcher_pid = -1;
  std::string launcher_started;
  // Why, where it applies ("reason"; each member only where it applies):
  std::int64_t system_error = -1;  // a refused Engine: the system's error code, and its text
  std::string system_text;
  std::size_t command_line_length = 0;  // a command line too long: its length and Windows' limit
  std::size_t command_line_limit = 0;
  ErrorCode discovery_error = ErrorCode::none;  // a blocked or fallen-back discovery: the error record's code
  std::string box_text;  // what a message box says, or would have said (on one line, passwords hidden)
};

// The outcome file's text: one JSON object and a line feed; `program_version`
// is the running executable's version.
std::string build_outcome_json(const RunEnding& ending, const std::string& program_version);

}  // namespace vantrel
