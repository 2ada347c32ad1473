// The launcher's own arguments and the Engine's command line.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// File name of the Engine, beside the launcher.
inline constexpr const wchar_t* ENGINE_FILE_NAME = L"vantrel-engine.exe";

// Appended, in this order, to every Engine command line. Each begins with a
// blank.
inline constexpr const wchar_t* FIXED_ENGINE_SWITCHES[] = {
    L" --hide-crash-restore-bubble",
    L" --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage",
    L" --disable-save-password-bubble",
};

// `launcher_dir` + "\" + "vantrel-engine.exe".
std::wstring engine_path_for(const std::wstring& launcher_dir);

// The profile folder named by the first argument that begins with
// "--user-data-dir=" (case-sensitive) and has something behind the prefix;
// empty when there is none. `args` excludes the program name.
std::wstring user_data_dir_from_args(const std::vector<std::wstring>& args);

// The Engine's full command line: the quoted path, the fixed switches, then a
// blank and the pass-through arguments (unchanged) when there are any, then a
// blank and the extra switches when there are any.
std::wstring build_engine_command_line(const std::wstring& engine_path,
                                       const std::wstring& pass_through_args,
                                       const std::wstring& extra_switches);

}  // namespace vantrel
