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

// user_data_dir_from_args over the process's own command line.
std::wstring get_user_data_dir();

// The Engine's full command line: the quoted path, the fixed switches, then a
// blank and the pass-through arguments (unchanged) when there are any, then a
// blank and the extra switches when there are any.
std::wstring build_engine_command_line(const std::wstring& engine_path,
                                       const std::wstring& pass_through_args,
                                       const std::wstring& extra_switches);

// `arg` wrapped in double quotes such that CommandLineToArgvW gives back
// exactly `arg` as one argument: a run of n backslashes before a double quote
// becomes 2n+1 backslashes and the quote, a run at the end becomes 2n, other
// backslashes stay. Text without quotes and without trailing backslashes is
// simply enclosed in quotes.
std::wstring quote_windows_argument(const std::wstring& arg);

}  // namespace vantrel
