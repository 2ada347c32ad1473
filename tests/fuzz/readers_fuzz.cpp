// libFuzzer targets, crash-only (AddressSanitizer and UBSan find the faults):
// one per reader of text that comes from outside the program. One file, built
// once per target with VANTREL_FUZZ_TARGET naming the function to run; see
// tests/fuzz/CMakeLists.txt and scripts/fuzz.sh.
#include <cstdint>
#include <memory>
#include <string>

#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_report.h"
#include "check/report_json.h"
#include "check/report_text.h"
#include "discovery/curl_probe.h"
#include "discovery/worker.h"
#include "launcher/engine_command_line.h"
#include "overlay/overlay_model.h"
#include "ui/listing.h"
#include "webgl/catalogue.h"

namespace vantrel::fuzz {

// The overlay as both programs read it: the model, what the window lists,
// the switches of every path, and the check's two reports.
void overlay(const std::string& text) {
  LaunchPlan plan;
  plan.args = read_launcher_arguments(L"--user-data-dir=C:\\p");
  plan.profile = choose_profile(plan.args);
  plan.overlay_path = plan.profile.folder.child(L"command-line.json");
  plan.engine_path = L"C:\\app\\vantrel-engine.exe";
  plan.overlay_state = platform::FileRead::read;
  plan.overlay_text = text;
  plan.overlay_not_utf8_at = first_not_utf8(text);
  OverlayReading reading = read_overlay(text);
  plan.overlay = reading.values;
  plan.readings = reading.settings;
  plan.path = choose_start_path(plan.overlay);
  plan.reason = start_reason(plan.overlay);
  plan.needs = discovery_needs(plan.overlay);
  plan.members = build_overlay_listing(text, true);
  make_progress_listings(plan.members);
  plan.host = {L"8", L"4"};
  plan.longest_command_line = longest_engine_command_line(plan);
  const DiscoveryOutcome outcome;
  for (SwitchForm form : {SwitchForm::passthrough, SwitchForm::discovery, SwitchForm::degraded}) {
    join_arguments(engine_switches(plan, form, outcome));
  }
  CheckInputs in;
  in.plan = plan;
  // As after a successful probe, so that every fixed value is compared with an egress.
  EgressProbe probed;
  probed.ran = true;
  probed.last = {"203.0.113.7", 0, 1, ErrorCode::none, "", "FR", "Europe/Paris", "48.8566", "2.3522"};
  probed.outcome = std::make_shared<DiscoveryOutcome>();
  in.probe = probed;
  const CheckReport report = make_check_report(in, true);
  check_report_json(report);
  check_report_text(report);
  check_store_block_text("p", report);
}

// A geo-IP answer, as curl's output of a successful run, and the values
// derived from it for an overlay that asks for all of them.
void geo_answer(const std::string& text) {
  ProbeOutput output;
  output.append(text.data(), text.size());
  ProbeResult result;
  finish_probe(result, 0, 1, output, "socks5://u:p@h:1", "https://geo.example/geoip?format=json");
  PersonaOverlay overlay;
  overlay.webrtc_no_leak = overlay.auto_geo = overlay.auto_lang = overlay.auto_timezone = true;
  DiscoveryOutcome outcome;
  derive_overrides(overlay, result, outcome);
}

// The WebGL catalogue: the text after the first line is the catalogue, the
// first line the profile's name.
void webgl_catalogue(const std::string& text) {
  const std::size_t line = text.find('\n');
  const std::string name = line == std::string::npos ? "nv" : text.substr(0, line);
  render_webgl_switches(parse_webgl_profile(line == std::string::npos ? text : text.substr(line + 1), name));
}

// Bytes as UTF-8 into UTF-16 and back, and as UTF-16 code units into UTF-8.
void text_encoding(const std::string& text) {
  utf16_to_utf8_portable(utf8_to_utf16_portable(text));
  std::wstring units;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    units.push_back(static_cast<wchar_t>(static_cast<unsigned char>(text[i]) |
                                         (static_cast<unsigned char>(text[i + 1]) << 8)));
  }
  utf8_to_utf16_portable(utf16_to_utf8_portable(units));
}

// Proxy URLs and listing values as the window and the check show them.
void passwords(const std::string& text) {
  blank_out_controls(hide_url_passwords(text));
  proxy_url_refusal(text);
  format_listing_rows({{text, text}});
}

}  // namespace vantrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantrel::fuzz::VANTREL_FUZZ_TARGET(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
