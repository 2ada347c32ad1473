#include "launcher/launch_plan.h"

#include <new>
#include <utility>

#include "launcher/host_hardware.h"
#include "overlay/overlay_file.h"
#include "platform/platform.h"
#include "webgl/catalogue.h"

namespace vantrel {

std::wstring switch_value(const std::vector<std::wstring>& args, const std::wstring& prefix) {
  for (const std::wstring& arg : args) {
    if (arg.size() > prefix.size() && arg.compare(0, prefix.size(), prefix) == 0) return arg.substr(prefix.size());
  }
  return std::wstring();
}

StartPath choose_start_path(const PersonaOverlay& overlay) {
  return needs_discovery(overlay) && is_socks5_proxy(overlay.proxy_server) ? StartPath::discovery
                                                                          : StartPath::passthrough;
}

HostFigures query_host_figures(const PersonaOverlay& overlay) {
  HostFigures host;
  if (launcher_adds(overlay, Added::device_memory)) host.device_memory = host_device_memory();
  if (launcher_adds(overlay, Added::hardware_concurrency)) host.hardware_concurrency = host_hardware_concurrency();
  return host;
}

LaunchPlan plan_launch(const std::vector<std::wstring>& args, const std::wstring& launcher_dir, bool record_readings) {
  LaunchPlan plan;
  plan.launcher_dir = launcher_dir;
  plan.user_data_dir = user_data_dir_from_args(args);
  plan.overlay_path = locate_overlay_file(plan.user_data_dir);
  try {
    plan.overlay_read = read_overlay_text(plan.overlay_path, plan.overlay_text, plan.overlay_unreadable,
                                          plan.overlay_not_utf8_at);
    if (!plan.overlay_read) plan.overlay_text.clear();
    OverlayReading reading = read_overlay(plan.overlay_text, record_readings);
    plan.overlay = std::move(reading.values);
    plan.readings = std::move(reading.settings);
  } catch (const std::bad_alloc&) {
    plan.overlay_unreadable = platform::TOO_LARGE_TO_HOLD;
  }
  if (plan.overlay_unreadable == platform::TOO_LARGE_TO_HOLD) {
    plan.overlay_too_large = true;
    plan.overlay_read = false;
    plan.overlay_text.clear();
    plan.overlay_not_utf8_at = std::string::npos;
    plan.overlay = PersonaOverlay();
    plan.readings = read_overlay(std::string(), record_readings).settings;
    return plan;
  }
  plan.path = choose_start_path(plan.overlay);
  plan.profile_in_use =
      !plan.user_data_dir.empty() && platform::held_open_elsewhere(platform::file_path(plan.user_data_dir).child(L"lockfile"));
  if (!plan.profile_in_use) {
    if (plan.overlay.close_previous_tabs) plan.removals = previous_tabs_removals(plan.user_data_dir);
    for (Removal& r : granular_storage_removals(plan.user_data_dir, plan.overlay.granular_storage_reset)) {
      plan.removals.push_back(std::move(r));
    }
  }
  plan.webgl_switches = load_webgl_profile_switches(plan.overlay.webgl_profile, launcher_dir);
  return plan;
}

}  // namespace vantrel
