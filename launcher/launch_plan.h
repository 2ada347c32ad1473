// The launch plan: everything a start will do, computed from the launcher's
// arguments and the overlay (read once) without starting anything. The
// launcher carries it out; vantrel-check shows it.
#pragma once

#include <string>
#include <vector>

#include "overlay/overlay_model.h"
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

struct LaunchPlan {
  std::wstring launcher_dir;
  std::wstring user_data_dir;  // from the first usable "--user-data-dir=", or empty
  std::wstring overlay_path;   // the file read (it may not exist)
  bool overlay_read = false;   // the file could be read
  std::string overlay_unreadable;  // why a file that exists could not be read, or empty
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

// The plan for a start with these arguments (after the program name) from a
// launcher in `launcher_dir`. Reads the overlay and the WebGL catalogue. When
// memory runs out reading the overlay, overlay_too_large is set and the plan
// is otherwise empty. With `record_readings` (vantrel-check) the plan keeps
// the overlay reader's record of each setting.
LaunchPlan plan_launch(const std::vector<std::wstring>& args, const std::wstring& launcher_dir,
                       bool record_readings = false);

// Discovery runs when the overlay asks for a value that only the egress can
// give and names a "socks5://" proxy (byte-wise, case-sensitive).
StartPath choose_start_path(const PersonaOverlay& overlay);

// The host figures for the settings the overlay leaves open; the others stay
// empty.
HostFigures query_host_figures(const PersonaOverlay& overlay);

// What stands behind `prefix` in the first argument that begins with it
// (case-sensitive) and has something behind it; empty when there is none.
// `args` excludes the program name.
std::wstring switch_value(const std::vector<std::wstring>& args, const std::wstring& prefix);

// The profile folder: switch_value(args, "--user-data-dir=").
inline std::wstring user_data_dir_from_args(const std::vector<std::wstring>& args) {
  return switch_value(args, L"--user-data-dir=");
}

}  // namespace vantrel
