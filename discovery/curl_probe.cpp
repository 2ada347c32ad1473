#include "discovery/curl_probe.h"

#include <algorithm>

#include "discovery/geo_answer.h"
#include "base/text_encoding.h"

namespace vantrel {

void ProbeOutput::append(const char* data, std::size_t size) {
  total_bytes += size;
  if (kept.size() < PROBE_OUTPUT_LIMIT) kept.append(data, std::min(size, PROBE_OUTPUT_LIMIT - kept.size()));
}

std::string socks5h_proxy_url(const std::string& proxy_server) {
  return "socks5h://" + (proxy_server.size() > 9 ? proxy_server.substr(9) : std::string());
}

std::string proxy_url_refusal(const std::string& proxy_server) {
  for (std::size_t i = 0; i < proxy_server.size(); ++i) {
    const auto c = static_cast<unsigned char>(proxy_server[i]);
    const std::string byte = "proxy URL refused: byte " + std::to_string(i + 1);
    if (c <= 0x20 || c == 0x7F || c == '"') {
      return byte + " is a blank, tab, double quote or control character, which a URL cannot hold; curl was not run";
    }
    // Windows hands a program that reads its arguments as ANSI text a "best
    // fit" of other characters: a full-width quote becomes '"', other
    // spaces a blank, a full-width hyphen '-'. curl could then split off
    // options of the overlay's choosing, so nothing outside ASCII goes.
    if (c >= 0x80) {
      return byte + " is not ASCII, which Windows may change on curl's command line: percent-encode the user name "
                    "and password, and write a non-ASCII host name in its xn-- form; curl was not run";
    }
  }
  return std::string();
}

std::wstring curl_command_line(const std::wstring& curl_path, const std::string& proxy_server, const std::string& url) {
  return L"\"" + curl_path + L"\" -q --noproxy \"\" --ssl-no-revoke --max-time 10 -sS -x " +
         utf8_to_wide(socks5h_proxy_url(proxy_server)) + L" " + utf8_to_wide(url);
}

ErrorCode classify_curl_exit(std::int32_t exit_code) {
  switch (exit_code) {
    case 7: return ErrorCode::proxy_unreachable;
    case 28: return ErrorCode::proxy_timeout;
    case 56:
    case 67: return ErrorCode::proxy_auth_failed;
    default: return ErrorCode::internal;
  }
}

void finish_probe(ProbeResult& result, std::int32_t exit_code, std::uint64_t elapsed_ms, const ProbeOutput& output,
                  const std::string& proxy_server, const std::string& url) {
  result.curl_exit_code = exit_code;
  result.elapsed_ms = elapsed_ms;
  if (exit_code != 0) {
    result.error_code = classify_curl_exit(exit_code);
    result.message = "curl exit " + std::to_string(exit_code) + " against " + url + " via " + proxy_server +
                     " after " + std::to_string(elapsed_ms) + " ms";
    return;
  }
  const std::string candidate = extract_egress_ip(output.kept, result);
  if (is_usable_ip(candidate)) {
    result.ip = candidate;
    return;
  }
  result.error_code = ErrorCode::discovery_http_error;
  result.message = "curl exit 0 but no usable IP in response \xE2\x80\x94 got " + std::to_string(output.total_bytes) +
                   " bytes, head: \"" + output.kept.substr(0, 80) + "\"";
}

}  // namespace vantrel
