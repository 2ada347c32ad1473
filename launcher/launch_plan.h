// The launch plan: every fact of a start, computed from the launcher's
// arguments and the overlay (read once) without starting anything: the
// Engine and whether it is there, the profile folder, the overlay and how
// the reader read it, the start path and why, the switch form, the host
// figures, the longest command line, what cleaning removes. The launcher
// carries it out; vantrel-check renders it and adds only its own work.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "launcher/launcher_arguments.h"
#include "overlay/overlay_model.h"
#include "platform/platform.h"
#include "profile/hygiene.h"
#include "records/endings.h"

namespace vantrel {

// The two ways a start goes: straight to the Engine, or through egress
// discovery first (with the progress window).
enum class StartPath { passthrough, discovery };

// Why a start goes its way.
enum class StartReason {
  nothing_needed,  // no setting asks for a value only the proxy's egress can give
  socks5_proxy,    // settings need the egress, and the proxy is socks5://: discovery
  no_proxy,        // settings would need the egress, but no proxy is named
  not_socks5,      // settings would need the egress, but the proxy is not socks5://
};

// The three forms of the switches a start adds: passthrough, after a
// discovery that was neither cancelled nor blocked, and without discovery
// when the progress window could not be created.
enum class SwitchForm { passthrough, discovery, degraded };

// The host values a start may add; each empty when there is none.
struct HostFigures {
  std::wstring device_memory;         // host_device_memory()
  std::wstring hardware_concurrency;  // host_hardware_concurrency()
};

// The profile folder of a start: the one folder that the overlay, the
// records, the in-use check and every removal are found in.
struct ProfileChoice {
  std::wstring written;  // behind the launcher's own "--user-data-dir=", as the caller wrote it; empty: none
  // That folder, made a path once (a final blank or dot gone, as in the
  // folder Windows and the Engine open). Empty without one, and when it names
  // a device (NUL, COM1, \\.\pipe\x): a start then goes on as without one.
  platform::FilePath folder;
  // The Engine's own reading of the arguments names another folder (or
  // none): the launcher cannot know which profile the Engine opens, so it
  // reads, cleans and writes nothing and begins nothing.
  bool ambiguous = false;
  std::wstring engine_reads;  // that folder as written (empty: the Engine's default profile)
};

// The profile folder `args` name (see ProfileChoice).
ProfileChoice choose_profile(const LauncherArguments& args);

// What the plan is made for: a start, which stops planning at the first
// fact that ends the run before anything is begun (an Engine that is
// missing: no overlay is read), or vantrel-check, which plans on to report
// everything and keeps the reader's record of every setting.
enum class PlanUse { launch, check };

struct LaunchPlan {
  PlanUse use = PlanUse::launch;
  std::wstring launcher_dir;
  std::wstring engine_path;  // launcher_dir\vantrel-engine.exe
  bool engine_found = false;
  LauncherArguments args;
  ProfileChoice profile;
  platform::FilePath overlay_path;  // the file looked for last (it may not exist); empty when none is
  platform::FileRead overlay_state = platform::FileRead::missing;
  std::string overlay_why;  // why a file that exists was not read (its state says how), or empty
  std::string overlay_text;
  std::size_t overlay_not_utf8_at = std::string::npos;  // the file offset of its first byte that is not UTF-8
  PersonaOverlay overlay;
  std::vector<SettingRead> readings;  // for the check: how each setting was read, in table order
  // The file's members as the window lists them and, for the check, the
  // top-level ones the launcher does not read: one pass for both, made only
  // for a window or the check.
  OverlayListing members;
  StartPath path = StartPath::passthrough;
  StartReason reason = StartReason::nothing_needed;
  std::vector<std::string> needs;  // the flags whose values need the egress (discovery_needs)
  SwitchForm form = SwitchForm::passthrough;
  HostFigures host;  // for the settings the overlay leaves open
  // The longest the Engine's command line of this start can be, with every
  // value discovery may add at its longest, and whether Windows would refuse it.
  std::size_t longest_command_line = 0;
  bool command_line_too_long = false;
  bool cleaning_asked = false;  // the overlay asks for the previous tabs or a storage category
  // A running Engine holds the profile's "lockfile": nothing is removed from under it.
  bool profile_in_use = false;
  std::vector<Removal> removals;  // the previous tabs (when asked for), then the storage categories
  std::wstring webgl_switches;    // the named profile's switches, or empty

  bool overlay_read() const { return overlay_state == platform::FileRead::read; }
};

// The plan for a start with these arguments and this profile folder from a
// launcher in `launcher_dir` (see PlanUse). Reads the overlay and the WebGL
// catalogue and asks the host for its figures; with an ambiguous profile it
// reads nothing. Never fails: memory that runs out while reading the
// overlay makes it too large to read.
LaunchPlan plan_launch(const LauncherArguments& args, const ProfileChoice& profile, const std::wstring& launcher_dir,
                       PlanUse use = PlanUse::launch);

// The endings of a run of this plan that are decided before anything is
// begun, in the launcher's order: the Engine missing, an ambiguous profile,
// an overlay too large or unreadable, a command line too long. The launcher
// ends with the first (not_begun); the check reports them all.
std::vector<Ending> endings_before_begin(const LaunchPlan& plan);
std::optional<Ending> not_begun(const LaunchPlan& plan);

// The message box's text for `ending` of this plan (for a refused Engine,
// the system's error `system_error`); empty for an ending without a box.
std::wstring ending_text(Ending ending, const LaunchPlan& plan, unsigned long system_error = 0);

// Discovery runs when the overlay asks for a value that only the egress can
// give and names a "socks5://" proxy (byte-wise, case-sensitive).
StartPath choose_start_path(const PersonaOverlay& overlay);

// Why the start goes the way choose_start_path says.
StartReason start_reason(const PersonaOverlay& overlay);

// The host figures for the settings the overlay leaves open; the others stay
// empty.
HostFigures query_host_figures(const PersonaOverlay& overlay);

}  // namespace vantrel
