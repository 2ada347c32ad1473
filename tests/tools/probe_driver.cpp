// Runs the discovery worker's logic under Wine with the real curl probe,
// pauses and file operations, but without a progress window, and prints
// what it left as JSON: the outcome, the four rows and the error record.
//
//   probe_driver.exe OVERLAY_FILE ERROR_RECORD_PATH
#include <windows.h>

#include <cstdio>

#include "discovery/worker.h"
#include "discovery/worker_thread.h"
#include "overlay/overlay_file.h"
#include "overlay/text_encoding.h"
#include "records/json_text.h"

using namespace vantrel;

namespace {
std::string str(const std::string& s) { return "\"" + json_escape(s) + "\""; }
std::string wstr(const std::wstring& s) { return str(wide_to_utf8(s)); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 3;
  DiscoveryContext context{load_persona_overlay(argv[1]), argv[2]};
  WorkerHooks hooks = system_worker_hooks();
  hooks.post = [](unsigned, std::size_t) {};
  DiscoveryOutcome& o = discovery_outcome();
  progress_steps().reset({L"0", L"1", L"2", L"3"});
  run_discovery(context, default_endpoints(), hooks, o, progress_steps());

  std::string json = "{\"ip\":" + str(o.ip) + ",\"timezone\":" + str(o.timezone) +
                     ",\"country_code\":" + str(o.country_code) + ",\"provider\":" + str(o.provider) +
                     ",\"elapsed_ms\":" + std::to_string(o.elapsed_ms) +
                     ",\"webrtc_public_ip\":" + wstr(o.webrtc_public_ip) + ",\"geo_lat\":" + wstr(o.geo_lat) +
                     ",\"geo_lng\":" + wstr(o.geo_lng) + ",\"lang\":" + wstr(o.lang) +
                     ",\"accept_language\":" + wstr(o.accept_language) +
                     ",\"timezone_override\":" + wstr(o.timezone_override) +
                     ",\"blocked\":" + (o.blocked.load() ? "true" : "false") + ",\"rows\":[";
  const ProgressRows rows = progress_steps().snapshot();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    json += (i ? "," : "") + std::string("{\"detail\":") + wstr(rows[i].detail) +
            ",\"done\":" + (rows[i].done ? "true" : "false") + ",\"failed\":" + (rows[i].failed ? "true" : "false") +
            "}";
  }
  json += "]}\n";
  std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}
