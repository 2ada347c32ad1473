#include "records/records.h"

#include "base/json_text.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel {

const char* error_code_text(ErrorCode code) {
  switch (code) {
    case ErrorCode::none: return "";
    case ErrorCode::internal: return "INTERNAL";
    case ErrorCode::curl_not_found: return "CURL_NOT_FOUND";
    case ErrorCode::proxy_unreachable: return "PROXY_UNREACHABLE";
    case ErrorCode::proxy_timeout: return "PROXY_TIMEOUT";
    case ErrorCode::proxy_auth_failed: return "PROXY_AUTH_FAILED";
    case ErrorCode::discovery_http_error: return "DISCOVERY_HTTP_ERROR";
    case ErrorCode::proxy_blocked: return "PROXY_BLOCKED";
    case ErrorCode::dialog_init_failed: return "DIALOG_INIT_FAILED";
  }
  return "";
}

platform::FilePath record_path(const platform::FilePath& profile, const char* name) {
  const std::wstring wide_name = utf8_to_wide(name);
  if (!profile.empty()) return profile.child(wide_name);
  // The application-data folder is asked for only when no profile is named.
  return platform::file_path(platform::local_app_data_dir()).child(L"Orlisk").child(wide_name);
}

namespace {

const char* status_text(RunStatus status) {
  switch (status) {
    case RunStatus::passthrough: return "passthrough";
    case RunStatus::ok: return "ok";
    case RunStatus::blocked: return "blocked";
    case RunStatus::degraded: return "degraded";
  }
  return "";
}

const char* cleaning_text(Cleaning cleaning) {
  switch (cleaning) {
    case Cleaning::not_done: return "not_done";
    case Cleaning::done: return "done";
    case Cleaning::skipped_profile_in_use: return "skipped_profile_in_use";
    case Cleaning::skipped_profile_starting: return "skipped_profile_starting";
    case Cleaning::not_asked: return "not_asked";
  }
  return "";
}

}  // namespace

std::string build_result_record_json(const std::string& ts, RunStatus status, std::uint64_t elapsed_ms,
                                     ErrorCode error, const std::string& message, const DiscoveredValues& values) {
  JsonWriter r;
  r.open_object().key("schema").number(1).key("ts").string(ts).key("status").string(status_text(status));
  r.key("ip").string(values.ip).key("timezone").string(values.timezone);
  r.key("country_code").string(values.country_code).key("lat").string(values.geo_lat);
  r.key("lng").string(values.geo_lng).key("lang").string(values.lang);
  r.key("accept_lang").string(values.accept_language);
  r.key("elapsed_ms").number(static_cast<long long>(elapsed_ms)).key("provider").string(values.provider);
  r.key("error_code").string(error_code_text(error)).key("message").string(message);
  return r.key("launcher_version").string(RECORD_LAUNCHER_VERSION).finish();
}

std::string build_error_record_json(const std::string& ts, const ErrorRecord& record) {
  JsonWriter r;
  r.open_object().key("schema").number(1).key("ts").string(ts).key("step").string(record.step);
  r.key("error_code").string(error_code_text(record.error_code)).key("message").string(record.message);
  if (!record.proxy.empty()) r.key("proxy").string(record.proxy);
  if (!record.discovery_url.empty()) r.key("discovery_url").string(record.discovery_url);
  if (record.curl_exit_code >= 0) r.key("curl_exit_code").number(record.curl_exit_code);
  r.key("elapsed_ms").number(record.elapsed_ms);
  return r.key("launcher_version").string(RECORD_LAUNCHER_VERSION).finish();
}

std::string build_outcome_json(const RunEnding& e, const std::string& program_version) {
  JsonWriter j;
  j.open_object().key("schema").number(1).key("outcome").string(ending_row(e.outcome).outcome);
  j.key("exit_code").number(e.exit_code).key("engine_pid");
  e.engine_pid < 0 ? j.null() : j.number(e.engine_pid);
  j.key("result_record_written").boolean(e.result_record_written).key("status");
  e.result_record_written ? j.string(status_text(e.status)) : j.null();
  j.key("error_code");
  e.result_record_written ? j.string(error_code_text(e.error)) : j.null();
  j.key("curl_exit_code");
  e.curl_exit_code < 0 ? j.null() : j.number(e.curl_exit_code);
  j.key("cleaning").string(cleaning_text(e.cleaning)).key("program_version").string(program_version);
  j.key("run_ms").number(static_cast<long long>(e.run_ms)).key("launcher_pid");
  e.launcher_pid < 0 ? j.null() : j.number(e.launcher_pid);
  j.key("launcher_started").string_or_null(e.launcher_started);
  const bool refused = e.system_error >= 0;
  const bool too_long = e.command_line_length > 0;
  const bool discovery = e.discovery_error != ErrorCode::none;
  if (refused || too_long || discovery || !e.box_text.empty()) {
    j.key("reason").open_object();
    if (refused) j.key("system_error").number(e.system_error).key("system_text").string(e.system_text);
    if (too_long) {
      j.key("command_line_length").number(static_cast<long long>(e.command_line_length));
      j.key("command_line_limit").number(static_cast<long long>(e.command_line_limit));
    }
    if (discovery) j.key("discovery_error").string(error_code_text(e.discovery_error));
    if (!e.box_text.empty()) j.key("box_text").string(hide_url_passwords(blank_out_controls(e.box_text)));
    j.close();
  }
  return j.finish();
}

}  // namespace vantrel
