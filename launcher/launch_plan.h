// The launch plan: everything a start will do, computed from the launcher's
// arguments and the overlay (read once) without starting anything. The
// launcher carries it out; vantrel-check shows it.
#pragma once

#include <string>
#include <vector>

#include "launcher/launcher_arguments.h"
#include "overlay/overlay_model.h"
#include "platform/platform.h"
#include "profile/hygiene.h"

namespace vantrel {

// The two ways a start goes: straight to the Engine, or through egress
// discovery first (with the progress window).
enum class StartPath { passthrough, discovery };

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

struct LaunchPlan {
  std::wstring launcher_dir;
  LauncherArguments args;
  ProfileChoice profile;
  platform::FilePath overlay_path;  // the file read (it may not exist); empty when nothing is read
  bool overlay_read = false;        // the file could be read
  std::string overlay_unreadable;   // why a file that exists could not be read, or empty
  std::string overlay_text;
  std::size_t overlay_not_utf8_at = std::string::npos;  // the file offset of its first byte that is not UTF-8
  // The overlay could not be held or read in memory: the launcher starts
  // nothing (its defaults would drop a "block").
  bool overlay_too_large = false;
  PersonaOverlay overlay;
  std::vector<SettingRead> readings;  // with record_readings: how each setting was read, in table order
  StartPath path = StartPath::passthrough;
  // A running Engine holds the profile's "lockfile": nothing is removed from under it.
  bool profile_in_use = false;
  std::vector<Removal> removals;  // the previous tabs (when asked for), then the storage categories
  std::wstring webgl_switches;    // the named profile's switches, or empty
};

// The plan for a start with these arguments and this profile folder from a
// launcher in `launcher_dir`. Reads the overlay and the WebGL catalogue;
// with an ambiguous profile it reads nothing and the plan is empty. When
// memory runs out reading the overlay, overlay_too_large is set and the plan
// is otherwise empty. With `record_readings` (vantrel-check) the plan keeps
// the overlay reader's record of each setting.
LaunchPlan plan_launch(const LauncherArguments& args, const ProfileChoice& profile, const std::wstring& launcher_dir,
                       bool record_readings = false);

// Discovery runs when the overlay asks for a value that only the egress can
// give and names a "socks5://" proxy (byte-wise, case-sensitive).
StartPath choose_start_path(const PersonaOverlay& overlay);

// The host figures for the settings the overlay leaves open; the others stay
// empty.
HostFigures query_host_figures(const PersonaOverlay& overlay);

}  // namespace vantrel
