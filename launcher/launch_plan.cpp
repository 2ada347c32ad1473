#include "launcher/launch_plan.h"

#include <new>
#include <utility>

#include "launcher/host_hardware.h"
#include "overlay/overlay_file.h"
#include "webgl/catalogue.h"

namespace vantrel {

ProfileChoice choose_profile(const LauncherArguments& args) {
  ProfileChoice choice;
  choice.written = user_data_dir_of(args);
  choice.engine_reads = engine_user_data_dir(args);
  const platform::FilePath folder = platform::file_path(choice.written);
  // Compared as the folders they name: "C:\P" and "c:\p\" are one.
  choice.ambiguous = choice.written.empty() || choice.engine_reads.empty()
                         ? choice.written != choice.engine_reads
                         : !platform::same_path(folder, platform::file_path(choice.engine_reads));
  if (!choice.ambiguous && platform::names_folder(folder)) choice.folder = folder;
  return choice;
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

LaunchPlan plan_launch(const LauncherArguments& args, const ProfileChoice& profile, const std::wstring& launcher_dir,
                       bool record_readings) {
  LaunchPlan plan;
  plan.launcher_dir = launcher_dir;
  plan.args = args;
  plan.profile = profile;
  if (profile.ambiguous) {
    plan.readings = read_overlay(std::string(), record_readings).settings;
    return plan;
  }
  const platform::FilePath& folder = profile.folder;
  plan.overlay_path = locate_overlay_file(folder);
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
  plan.profile_in_use = !folder.empty() && platform::held_open_elsewhere(folder.child(L"lockfile"));
  if (!folder.empty() && !plan.profile_in_use) {
    if (plan.overlay.close_previous_tabs) plan.removals = previous_tabs_removals();
    for (Removal& r : granular_storage_removals(plan.overlay.granular_storage_reset)) {
      plan.removals.push_back(std::move(r));
    }
  }
  plan.webgl_switches = load_webgl_profile_switches(plan.overlay.webgl_profile, launcher_dir);
  return plan;
}

}  // namespace vantrel
