#include "records/result_record.h"

#include "overlay/text_encoding.h"
#include "platform/platform.h"
#include "records/atomic_write.h"
#include "records/json_text.h"
#include "records/record_paths.h"

namespace vantrel {

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

}  // namespace

std::string build_result_record_json(const std::string& ts, const std::string& status, std::uint64_t elapsed_ms,
                                     const std::string& error_code, const std::string& message,
                                     const DiscoveryOutcome& outcome) {
  RecordText r;
  r.unescaped("ts", ts);
  r.str("status", status);
  r.str("ip", outcome.ip);
  r.str("timezone", outcome.timezone);
  r.str("country_code", outcome.country_code);
  r.str("lat", wide_to_utf8(outcome.geo_lat));
  r.str("lng", wide_to_utf8(outcome.geo_lng));
  r.str("lang", wide_to_utf8(outcome.lang));
  r.str("accept_lang", wide_to_utf8(outcome.accept_language));
  r.raw("elapsed_ms", std::to_string(static_cast<long long>(elapsed_ms)));
  r.str("provider", outcome.provider);
  r.str("error_code", error_code);
  r.str("message", message);
  r.unescaped("launcher_version", RECORD_LAUNCHER_VERSION);
  return r.finish();
}

void write_result_record(const std::string& status, std::uint64_t elapsed_ms, const std::string& error_code,
                         const std::string& message) {
  const std::wstring path = make_result_record_path();
  if (path.empty()) return;
  write_file_atomic(path, build_result_record_json(platform::utc_timestamp(), status, elapsed_ms, error_code,
                                                   message, discovery_outcome()));
}

std::string build_error_record_json(const std::string& ts, const ErrorRecord& record) {
  RecordText r;
  r.unescaped("ts", ts);
  r.str("step", record.step);
  r.str("error_code", record.error_code);
  r.str("message", record.message);
  if (!record.proxy.empty()) r.str("proxy", record.proxy);
  if (!record.discovery_url.empty()) r.str("discovery_url", record.discovery_url);
  if (record.curl_exit_code >= 0) r.raw("curl_exit_code", std::to_string(record.curl_exit_code));
  r.raw("elapsed_ms", std::to_string(record.elapsed_ms));
  r.unescaped("launcher_version", RECORD_LAUNCHER_VERSION);
  return r.finish();
}

}  // namespace vantrel
