#include "launcher/command_line.h"

namespace vantrel {

namespace {
constexpr std::size_t kUserDataDirPrefixLength = 16;  // "--user-data-dir="
}

std::wstring engine_path_for(const std::wstring& launcher_dir) {
  return launcher_dir + L"\\" + ENGINE_FILE_NAME;
}

std::wstring user_data_dir_from_args(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args) {
    if (arg.size() > kUserDataDirPrefixLength && arg.compare(0, kUserDataDirPrefixLength, L"--user-data-dir=") == 0) {
      return arg.substr(kUserDataDirPrefixLength);
    }
  }
  return std::wstring();
}

std::wstring build_engine_command_line(const std::wstring& engine_path,
                                       const std::wstring& pass_through_args,
                                       const std::wstring& extra_switches) {
  std::wstring line = L"\"" + engine_path + L"\"";
  for (const wchar_t* fixed : FIXED_ENGINE_SWITCHES) line += fixed;
  if (!pass_through_args.empty()) line += L" " + pass_through_args;
  if (!extra_switches.empty()) line += L" " + extra_switches;
  return line;
}

}  // namespace vantrel
