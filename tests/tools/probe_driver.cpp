// Runs the discovery worker's logic under Wine with the real curl probe and
// file operations, but without a progress window or pauses, and prints what
// it left as JSON: the outcome and the four rows.
//
//   probe_driver.exe OVERLAY_FILE ERROR_RECORD_PATH
#include <windows.h>

#include <cstdio>

#include "base/json_text.h"
#include "base/text_encoding.h"
#include "discovery/worker_thread.h"
#include "platform/platform.h"
#include "ui/progress_steps.h"

using namespace vantrel;

namespace {
std::string str(const std::string& s) { return "\"" + json_escape(s) + "\""; }
std::string wstr(const std::wstring& s) { return str(wide_to_utf8(s)); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 3;
  std::string text;
  platform::read_whole_file(argv[1], true, text);
  ProgressSteps steps;
  DiscoveryContext context{parse_persona_overlay(text), argv[2], default_endpoints(), system_worker_hooks(),
                           std::make_shared<DiscoveryOutcome>()};
  context.hooks.report = [&steps](const DiscoveryReport& report) { show_report(steps, report); };
  context.hooks.cancelled = [] { return false; };
  run_discovery(context);

  const DiscoveryOutcome& o = *context.outcome;
  std::string json = "{\"ip\":" + str(o.ip) + ",\"timezone\":" + str(o.timezone) +
                     ",\"country_code\":" + str(o.country_code) + ",\"provider\":" + str(o.provider) +
                     ",\"elapsed_ms\":" + std::to_string(o.elapsed_ms) +
                     ",\"webrtc_public_ip\":" + wstr(o.webrtc_public_ip) + ",\"geo_lat\":" + wstr(o.geo_lat) +
                     ",\"geo_lng\":" + wstr(o.geo_lng) + ",\"lang\":" + wstr(o.lang) +
                     ",\"accept_language\":" + wstr(o.accept_language) +
                     ",\"timezone_override\":" + wstr(o.timezone_override) +
                     ",\"blocked\":" + (o.blocked.load() ? "true" : "false") + ",\"rows\":[";
  const ProgressRows rows = steps.snapshot();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    json += (i ? "," : "") + std::string("{\"detail\":") + wstr(rows[i].detail) +
            ",\"done\":" + (rows[i].done ? "true" : "false") + ",\"failed\":" + (rows[i].failed ? "true" : "false") +
            "}";
  }
  json += "]}\n";
  std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}
