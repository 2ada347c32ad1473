// What the launcher reads of its own command line. Its arguments end where
// the Engine's own part begins (an argument "--", or "--single-argument"):
// callers put URLs and files there, often from an untrusted source, and the
// Engine reads none of them as a switch, so neither does the launcher.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

struct LauncherArguments {
  std::wstring pass_through;      // the remainder exactly as received: passed on to the Engine
  std::vector<std::wstring> own;  // the arguments before the Engine's own part
  // Where the Engine's own part begins in pass_through (the start of its "--"
  // or "--single-argument"); npos when the caller gave none. The switches
  // the launcher adds stand before it, where the Engine reads them.
  std::size_t engine_part = std::wstring::npos;
  bool single_argument = false;  // that part begins with "--single-argument"
};

// The arguments of `remainder` (the command line after the program's name,
// as the runtime hands it to wWinMain), split once (split_command_line).
// The Engine's own part begins at the first argument that is "--" once
// trimmed of white space (as the Engine reads it: a quoted "--" or " --"
// counts) or that is exactly "--single-argument".
LauncherArguments read_launcher_arguments(const std::wstring& remainder);

// What stands behind `prefix` in the first argument of `args` that begins
// with it (case-sensitive) and has something behind it; empty when there is
// none.
std::wstring switch_value(const std::vector<std::wstring>& args, const std::wstring& prefix);

inline constexpr const wchar_t* USER_DATA_DIR_SWITCH = L"--user-data-dir=";

// The profile folder as the launcher reads it: switch_value(own, "--user-data-dir=").
inline std::wstring user_data_dir_of(const LauncherArguments& a) { return switch_value(a.own, USER_DATA_DIR_SWITCH); }

// The profile folder as a Chromium-based Engine reads the same arguments:
// each trimmed of white space, a switch begins with "--", "-" or "/", its
// name is compared without letter case and the last one wins. Empty when no
// switch names it, or the last names it without a value (the Engine then
// opens its default profile).
std::wstring engine_user_data_dir(const LauncherArguments& a);

}  // namespace vantrel
