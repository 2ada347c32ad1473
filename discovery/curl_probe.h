// Asking a geo-IP endpoint, through the user's SOCKS5 proxy, what address the
// proxy's traffic leaves from: the system's curl.exe does the network work.
#pragma once

#include <cstdint>
#include <string>

#include "discovery/probe_result.h"

namespace vantrel {

// Output of curl kept for reading the answer and for the message's head: the
// first PROBE_OUTPUT_LIMIT bytes. Every byte is counted, so the reported size
// stays exact while a hostile endpoint cannot make the launcher hold more.
inline constexpr std::size_t PROBE_OUTPUT_LIMIT = std::size_t{1} << 20;

struct ProbeOutput {
  std::string kept;
  std::uint64_t total_bytes = 0;

  void append(const char* data, std::size_t size);
};

// "socks5h://" + everything after the first nine bytes of `proxy_server`
// (which begins with "socks5://"): the proxy resolves the endpoint's name.
std::string socks5h_proxy_url(const std::string& proxy_server);

// Why `proxy_server` must not reach curl's command line, or empty when it may.
// The URL is inserted there unquoted, so a blank, tab, double quote or
// control character (which no valid URL holds) would end it and add curl
// options of the overlay's choosing (an output file, a config file, no time
// limit). The reason names the byte, never the URL, which may hold a password.
std::string proxy_url_refusal(const std::string& proxy_server);

// "\"CURL\" -q --noproxy \"\" --ssl-no-revoke --max-time 10 -sS -x PROXY URL",
// the URLs inserted as given; the proxy must have passed proxy_url_refusal.
// curl is told to read nothing but this line, so that nothing the user's
// machine holds sends the request past the proxy: -q (first, or it does not
// count) reads no configuration file (_curlrc, .curlrc), --noproxy "" lets no
// NO_PROXY/no_proxy exempt a host, and --ssl-no-revoke keeps Schannel from
// fetching revocation answers itself, outside the proxy. (-x already wins
// over the *_PROXY variables.)
std::wstring curl_command_line(const std::wstring& curl_path, const std::string& proxy_server, const std::string& url);

// Error code for a non-zero curl exit code: 7 proxy_unreachable, 28
// proxy_timeout, 56 and 67 proxy_auth_failed, anything else internal.
ErrorCode classify_curl_exit(std::int32_t exit_code);

// Completes `result` once curl has exited: the exit code and time, then the
// error code and message, or the address read from the answer.
void finish_probe(ProbeResult& result, std::int32_t exit_code, std::uint64_t elapsed_ms, const ProbeOutput& output,
                  const std::string& proxy_server, const std::string& url);

// Runs System32's curl.exe hidden against `url` through `proxy_server` and
// reads its merged standard output and error. A proxy URL that
// proxy_url_refusal rejects fails with INTERNAL before curl runs. Blocks until curl has exited
// (curl's own --max-time bounds it). Every failure comes back in the result.
// curl inherits its output pipe and no other handle, and runs in a job
// object of this process that ends it when the process ends, however the
// process ends: no curl outlives the program that started it.
ProbeResult run_curl_probe(const std::string& proxy_server, const std::string& url);

// Ends every curl that run_curl_probe started and that still runs (after a
// cancel: the user said stop); the probe then fails and returns.
void end_curl_probes();

}  // namespace vantrel
