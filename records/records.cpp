#include "records/records.h"

#include "base/json_text.h"
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

std::wstring record_path(const std::wstring& user_data_dir, const char* name) {
  const std::wstring wide_name = utf8_to_wide(name);
  if (!user_data_dir.empty()) return user_data_dir + L"\\" + wide_name;
  // The application-data folder is asked for only when no profile is named.
  const std::wstring local = platform::local_app_data_dir();
  return local.empty() ? std::wstring() : local + L"\\Orlisk\\" + wide_name;
}

namespace {

// Builds `{"schema":1,...}` member by member.
class RecordText {
 public:
  RecordText() : text_("{\"schema\":1") {}
  void raw(const char* key, const std::string& value) { text_ += std::string(",\"") + key + "\":" + value; }
  void str(const char* key, const std::string& value) { raw(key, "\"" + json_escape(value) + "\""); }
  void unescaped(const char* key, const std::string& value) { raw(key, "\"" + value + "\""); }
  std::string finish() { return text_ + "}\n"; }

 private:
  std::string text_;
};

const char* status_text(RunStatus status) {
  switch (status) {
    case RunStatus::passthrough: return "passthrough";
    case RunStatus::ok: return "ok";
    case RunStatus::blocked: return "blocked";
    case RunStatus::degraded: return "degraded";
  }
  return "";
}

}  // namespace

std::string build_result_record_json(const std::string& ts, RunStatus status, std::uint64_t elapsed_ms,
                                     ErrorCode error, const std::string& message, const DiscoveredValues& values) {
  RecordText r;
  r.unescaped("ts", ts);
  r.str("status", status_text(status));
  r.str("ip", values.ip);
  r.str("timezone", values.timezone);
  r.str("country_code", values.country_code);
  r.str("lat", values.geo_lat);
  r.str("lng", values.geo_lng);
  r.str("lang", values.lang);
  r.str("accept_lang", values.accept_language);
  r.raw("elapsed_ms", std::to_string(static_cast<long long>(elapsed_ms)));
  r.str("provider", values.provider);
  r.str("error_code", error_code_text(error));
  r.str("message", message);
  r.unescaped("launcher_version", RECORD_LAUNCHER_VERSION);
  return r.finish();
}

std::string build_error_record_json(const std::string& ts, const ErrorRecord& record) {
  RecordText r;
  r.unescaped("ts", ts);
  r.str("step", record.step);
  r.str("error_code", error_code_text(record.error_code));
  r.str("message", record.message);
  if (!record.proxy.empty()) r.str("proxy", record.proxy);
  if (!record.discovery_url.empty()) r.str("discovery_url", record.discovery_url);
  if (record.curl_exit_code >= 0) r.raw("curl_exit_code", std::to_string(record.curl_exit_code));
  r.raw("elapsed_ms", std::to_string(record.elapsed_ms));
  r.unescaped("launcher_version", RECORD_LAUNCHER_VERSION);
  return r.finish();
}

}  // namespace vantrel
