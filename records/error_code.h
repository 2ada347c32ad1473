// The error codes a run can report, and their text in the records.
#pragma once

namespace vantrel {

enum class ErrorCode {
  none,                  // no error
  internal,              // curl could not be started, or exited with an unlisted code
  curl_not_found,        // System32 holds no curl.exe
  proxy_unreachable,     // curl exit 7
  proxy_timeout,         // curl exit 28
  proxy_auth_failed,     // curl exit 56 or 67
  discovery_http_error,  // curl exit 0 without a usable address in the answer
  proxy_blocked,         // (result record) a failed discovery blocked the start
  dialog_init_failed,    // (result record) no progress window: started without discovery
};

// "INTERNAL", "CURL_NOT_FOUND", ...; "" for none.
const char* error_code_text(ErrorCode code);

}  // namespace vantrel
