#include "launcher/launch_plan.h"

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "launcher/command_line.h"
#include "launcher/host_hardware.h"
#include "overlay/overlay_file.h"
#include "platform/platform.h"
#include "webgl/catalogue.h"

namespace vantrel {

namespace {

void add_switch(std::vector<std::wstring>& parts, const wchar_t* name, const std::wstring& value) {
  if (!value.empty()) parts.push_back(L"--" + std::wstring(name) + L"=" + value);
}

}  // namespace

StartPath choose_start_path(const PersonaOverlay& overlay) {
  const bool socks5 = overlay.proxy_server.compare(0, 9, "socks5://") == 0;
  return needs_discovery(overlay) && socks5 ? StartPath::discovery : StartPath::passthrough;
}

HostFigures query_host_figures(const PersonaOverlay& overlay) {
  HostFigures host;
  if (!overlay.has_device_memory) host.device_memory = host_device_memory();
  if (!overlay.has_hardware_concurrency) host.hardware_concurrency = host_hardware_concurrency();
  return host;
}

LaunchPlan plan_launch(const std::vector<std::wstring>& args, const std::wstring& launcher_dir) {
  LaunchPlan plan;
  plan.launcher_dir = launcher_dir;
  plan.user_data_dir = user_data_dir_from_args(args);
  plan.overlay_path = locate_overlay_file(plan.user_data_dir);
  plan.overlay_read = read_overlay_text(plan.overlay_path, plan.overlay_text, plan.overlay_unreadable);
  if (!plan.overlay_read) plan.overlay_text.clear();
  plan.overlay = parse_persona_overlay(plan.overlay_text);
  plan.listing = build_overlay_listing(plan.overlay_text);
  plan.path = choose_start_path(plan.overlay);
  plan.profile_in_use =
      !plan.user_data_dir.empty() && platform::held_open_elsewhere(plan.user_data_dir + L"\\lockfile");
  if (!plan.profile_in_use) {
    if (plan.overlay.close_previous_tabs) plan.removals = previous_tabs_removals(plan.user_data_dir);
    for (Removal& r : granular_storage_removals(plan.user_data_dir, plan.overlay.granular_storage_reset)) {
      plan.removals.push_back(std::move(r));
    }
  }
  plan.webgl_switches = load_webgl_profile_switches(plan.overlay.webgl_profile, launcher_dir);
  return plan;
}

std::vector<std::wstring> start_page_arguments(const std::string& start_page) {
  if (start_page.empty()) return {L"chrome://version"};
  const auto first = static_cast<unsigned char>(start_page.front());
  const bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  const std::wstring page = quote_windows_argument(utf8_to_wide(start_page));
  if (letter) return {page};
  return {L"--", page};
}

std::vector<std::wstring> engine_switches(const LaunchPlan& plan, SwitchForm form, const DiscoveryOutcome& outcome,
                                          const HostFigures& host) {
  const PersonaOverlay& o = plan.overlay;
  std::vector<std::wstring> parts;
  if (form == SwitchForm::discovery) {
    // The catalogue's switches first, then what discovery derived.
    if (!plan.webgl_switches.empty()) parts.push_back(plan.webgl_switches);
    add_switch(parts, L"webrtc-fake-public-ip", outcome.webrtc_public_ip);
    if (o.webrtc_no_leak) add_switch(parts, L"force-webrtc-ip-handling-policy", L"default");
    add_switch(parts, L"timezone-override", outcome.timezone_override);
    add_switch(parts, L"lang", outcome.lang);
    add_switch(parts, L"accept-language", outcome.accept_language);
    add_switch(parts, L"geo-lat", outcome.geo_lat);
    add_switch(parts, L"geo-lng", outcome.geo_lng);
    if (!outcome.geo_lat.empty() && !outcome.geo_lng.empty()) add_switch(parts, L"geo-accuracy", L"100");
  }
  if (!o.has_device_memory) add_switch(parts, L"device-memory", host.device_memory);
  if (!o.has_hardware_concurrency) add_switch(parts, L"hardware-concurrency", host.hardware_concurrency);
  if (!o.has_speech_voices) add_switch(parts, L"speech-voices-preset", L"stock-chrome-windows");
  // The catalogue's switches follow the host values on a passthrough start;
  // a start without its window carries none.
  if (form == SwitchForm::passthrough && !plan.webgl_switches.empty()) parts.push_back(plan.webgl_switches);
  for (std::wstring& page : start_page_arguments(o.start_page)) parts.push_back(std::move(page));
  return parts;
}

std::wstring join_arguments(const std::vector<std::wstring>& parts) {
  std::wstring joined;
  for (const std::wstring& part : parts) {
    if (!joined.empty()) joined += L' ';
    joined += part;
  }
  return joined;
}

}  // namespace vantrel
