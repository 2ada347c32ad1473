// The Engine's command line: one ordered list from the Engine's path to the
// start page, joined once. The launcher starts the Engine with it and
// vantrel-check shows it; both ask this unit.
#pragma once

#include <string>
#include <vector>

#include "discovery/outcome.h"
#include "launcher/launch_plan.h"

namespace vantrel {

// File name of the Engine, beside the launcher.
inline constexpr const wchar_t* ENGINE_FILE_NAME = L"vantrel-engine.exe";

// `launcher_dir` + "\" + "vantrel-engine.exe".
std::wstring engine_path_for(const std::wstring& launcher_dir);

// On every Engine command line, in this order, right after its path.
inline constexpr const wchar_t* FIXED_ENGINE_SWITCHES[] = {
    L"--hide-crash-restore-bubble",
    L"--disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage",
    L"--disable-save-password-bubble",
};

// The switches the start adds, in order (the start page not among them).
// Each value is added only when it is not empty; `outcome` counts for the
// discovery form only; the host figures are the plan's.
std::vector<std::wstring> engine_switches(const LaunchPlan& plan, SwitchForm form, const DiscoveryOutcome& outcome);

// The whole command line as its parts: the plan's quoted Engine path, the fixed
// switches, the caller's arguments up to the Engine's own part ("--" or
// "--single-argument") as one part exactly as received (only when there are
// any), engine_switches(...) and the start page (start_page_arguments), then
// the Engine's own part exactly as received. After a "--" of the caller's
// the start page follows that part instead, without a "--" of its own:
// nothing there is read as a switch. Before "--single-argument", whose
// whole remainder the Engine takes for one argument, a start page that
// would need the "--" marker is left out.
std::vector<std::wstring> engine_command_line_parts(const LaunchPlan& plan, SwitchForm form,
                                                    const DiscoveryOutcome& outcome);

// engine_command_line_parts(...) joined by single blanks.
std::wstring engine_command_line(const LaunchPlan& plan, SwitchForm form, const DiscoveryOutcome& outcome);

// Process creation takes at most 32,767 UTF-16 units with the terminating
// NUL: the longest Engine command line that can be started.
inline constexpr std::size_t ENGINE_COMMAND_LINE_LIMIT = 32766;

// Whether a command line of `length` characters is longer than Windows starts.
inline bool exceeds_command_line_limit(std::size_t length) { return length > ENGINE_COMMAND_LINE_LIMIT; }

// The longest the Engine's command line of this start can be, counted
// before anything is done for it: a passthrough start's own line; on a
// discovery start the discovery form with every value that discovery may
// add for this overlay at its longest (an address, a time zone name,
// coordinates, a language: each bounded), which no other form of the start
// exceeds.
std::size_t longest_engine_command_line(const LaunchPlan& plan);

// The page the Engine opens first: "chrome://version" when `start_page` is
// empty, else the page as one argument quoted so that it comes back
// unchanged. A page that does not begin with an ASCII letter (every absolute
// URL begins with its scheme) follows the end-of-switches marker "--", so
// that the Engine cannot take "--x" or "/x" (or " --x", which it trims) for a
// switch.
std::vector<std::wstring> start_page_arguments(const std::string& start_page);

// The parts joined by single blanks.
std::wstring join_arguments(const std::vector<std::wstring>& parts);

}  // namespace vantrel
