#include "launcher/launch_plan.h"

#include <new>
#include <utility>

#include "base/text_encoding.h"
#include "launcher/engine_command_line.h"
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

StartReason start_reason(const PersonaOverlay& overlay) {
  if (!needs_discovery(overlay)) return StartReason::nothing_needed;
  if (is_socks5_proxy(overlay.proxy_server)) return StartReason::socks5_proxy;
  return overlay.proxy_server.empty() ? StartReason::no_proxy : StartReason::not_socks5;
}

HostFigures query_host_figures(const PersonaOverlay& overlay) {
  HostFigures host;
  if (launcher_adds(overlay, Added::device_memory)) host.device_memory = host_device_memory();
  if (launcher_adds(overlay, Added::hardware_concurrency)) host.hardware_concurrency = host_hardware_concurrency();
  return host;
}

namespace {

// Reads the overlay into the plan; memory that runs out makes it too large.
void read_the_overlay(LaunchPlan& plan) {
  const bool check = plan.use == PlanUse::check;
  plan.overlay_path = locate_overlay_file(plan.profile.folder);
  try {
    plan.overlay_state =
        read_overlay_text(plan.overlay_path, plan.overlay_text, plan.overlay_why, plan.overlay_not_utf8_at);
    if (!plan.overlay_read()) plan.overlay_text.clear();
    OverlayReading reading = read_overlay(plan.overlay_text, check);
    plan.overlay = std::move(reading.values);
    plan.readings = std::move(reading.settings);
  } catch (const std::bad_alloc&) {
    plan.overlay_state = platform::FileRead::too_large;
    plan.overlay_why = "it is too large to hold in memory";
  }
  if (plan.overlay_state == platform::FileRead::too_large || plan.overlay_state == platform::FileRead::unreadable) {
    // Nothing of it counts: the launcher begins nothing (its defaults would drop a "block").
    plan.overlay_text.clear();
    plan.overlay_not_utf8_at = std::string::npos;
    plan.overlay = PersonaOverlay();
    plan.readings = read_overlay(std::string(), check).settings;
  }
}

}  // namespace

LaunchPlan plan_launch(const LauncherArguments& args, const ProfileChoice& profile, const std::wstring& launcher_dir,
                       PlanUse use) {
  LaunchPlan plan;
  plan.use = use;
  plan.launcher_dir = launcher_dir;
  plan.engine_path = engine_path_for(launcher_dir);
  plan.engine_found = platform::path_exists(platform::file_path(plan.engine_path));
  plan.args = args;
  plan.profile = profile;
  const bool check = use == PlanUse::check;
  if ((!plan.engine_found && !check) || profile.ambiguous) {
    plan.readings = read_overlay(std::string(), check).settings;
    return plan;
  }
  read_the_overlay(plan);
  if (not_begun(plan) && !check) return plan;
  const PersonaOverlay& o = plan.overlay;
  plan.path = choose_start_path(o);
  plan.reason = start_reason(o);
  plan.needs = discovery_needs(o);
  plan.form = plan.path == StartPath::discovery ? SwitchForm::discovery : SwitchForm::passthrough;
  // The window lists the members; the check lists what the launcher does not read.
  if (check || plan.path == StartPath::discovery) plan.members = build_overlay_listing(plan.overlay_text, check);
  plan.webgl_switches = load_webgl_profile_switches(o.webgl_profile, launcher_dir);
  // Counted before anything is done for the start, with every value
  // discovery may add at its longest; so the host is asked before cleaning.
  plan.host = query_host_figures(o);
  plan.longest_command_line = longest_engine_command_line(plan);
  plan.command_line_too_long = exceeds_command_line_limit(plan.longest_command_line);
  if (plan.command_line_too_long && !check) return plan;
  const platform::FilePath& folder = profile.folder;
  plan.cleaning_asked = cleaning_asked(o.close_previous_tabs, o.granular_storage_reset);
  plan.profile_in_use = !folder.empty() && platform::held_open_elsewhere(folder.child(L"lockfile"));
  if (!folder.empty() && !plan.profile_in_use) {
    if (o.close_previous_tabs) plan.removals = previous_tabs_removals();
    for (Removal& r : granular_storage_removals(o.granular_storage_reset)) plan.removals.push_back(std::move(r));
  }
  return plan;
}

std::vector<Ending> endings_before_begin(const LaunchPlan& plan) {
  std::vector<Ending> endings;
  if (!plan.engine_found) endings.push_back(Ending::engine_missing);
  if (plan.profile.ambiguous) endings.push_back(Ending::profile_ambiguous);
  if (plan.overlay_state == platform::FileRead::too_large) endings.push_back(Ending::overlay_too_large);
  if (plan.overlay_state == platform::FileRead::unreadable) endings.push_back(Ending::overlay_unreadable);
  if (plan.command_line_too_long) endings.push_back(Ending::command_line_too_long);
  return endings;
}

std::optional<Ending> not_begun(const LaunchPlan& plan) {
  const std::vector<Ending> endings = endings_before_begin(plan);
  if (endings.empty()) return std::nullopt;
  return endings.front();
}

std::wstring ending_text(Ending ending, const LaunchPlan& plan, unsigned long system_error) {
  const auto named = [](const std::wstring& folder, const wchar_t* none) {
    return folder.empty() ? std::wstring(none) : folder;
  };
  const std::wstring overlay = plan.overlay_path.shown();
  switch (ending) {
    case Ending::started:
    case Ending::cancelled:
    case Ending::blocked: return std::wstring();
    case Ending::engine_missing: return L"Engine binary not found:\n" + plan.engine_path + L"\n\nReinstall Vantrel.";
    case Ending::engine_refused:
      return L"Engine could not be started:\n" + plan.engine_path + L"\n\n" +
             utf8_to_wide(platform::windows_error_text(system_error, plan.engine_path));
    case Ending::profile_ambiguous:
      return L"The browser would open another profile folder than the launcher reads from its arguments.\n\n"
             L"Launcher: " + named(plan.profile.written, L"(none)") + L"\nBrowser: " +
             named(plan.profile.engine_reads, L"(its default profile)") +
             L"\n\nName the profile folder once, as --user-data-dir=<folder>. Nothing was started.";
    case Ending::overlay_too_large:
      return L"The persona overlay is too large to read" + (overlay.empty() ? L"." : L":\n" + overlay) +
             L"\n\nNothing was started.";
    case Ending::overlay_unreadable:
      return L"The persona overlay could not be read:\n" + overlay + L"\n" + utf8_to_wide(plan.overlay_why) +
             L"\n\nNothing was started.";
    case Ending::command_line_too_long:
      return L"The Engine's command line would be " + std::to_wstring(plan.longest_command_line) +
             L" characters long; Windows allows at most 32,766. Shorten the start page or the overlay's values.";
  }
  return std::wstring();
}

}  // namespace vantrel
