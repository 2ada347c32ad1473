#include "launcher/launcher_arguments.h"

#include "base/argument_quote.h"

namespace vantrel {

namespace {

// The white space the Engine trims from each argument (Unicode's spaces and
// line breaks).
bool engine_white_space(wchar_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::wstring trimmed(const std::wstring& arg) {
  std::size_t begin = 0;
  std::size_t end = arg.size();
  while (begin < end && engine_white_space(arg[begin])) ++begin;
  while (end > begin && engine_white_space(arg[end - 1])) --end;
  return arg.substr(begin, end - begin);
}

}  // namespace

LauncherArguments read_launcher_arguments(const std::wstring& remainder) {
  LauncherArguments a;
  a.pass_through = remainder;
  for (SplitArgument& arg : split_command_line(remainder)) {
    const bool single = arg.text == L"--single-argument";
    if (single || trimmed(arg.text) == L"--") {
      a.engine_part = arg.begin;
      a.single_argument = single;
      break;
    }
    a.own.push_back(std::move(arg.text));
  }
  return a;
}

std::wstring switch_value(const std::vector<std::wstring>& args, const std::wstring& prefix) {
  for (const std::wstring& arg : args) {
    if (arg.size() > prefix.size() && arg.compare(0, prefix.size(), prefix) == 0) return arg.substr(prefix.size());
  }
  return std::wstring();
}

std::wstring engine_user_data_dir(const LauncherArguments& a) {
  std::wstring value;
  for (const std::wstring& raw : a.own) {
    const std::wstring arg = trimmed(raw);
    const std::size_t prefix = arg.compare(0, 2, L"--") == 0 ? 2 : (!arg.empty() && (arg[0] == L'-' || arg[0] == L'/'));
    if (prefix == 0 || arg.size() == prefix) continue;
    const std::size_t equals = arg.find(L'=');
    std::wstring name = arg.substr(prefix, equals == std::wstring::npos ? std::wstring::npos : equals - prefix);
    for (wchar_t& c : name) c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    if (name == L"user-data-dir") value = equals == std::wstring::npos ? std::wstring() : arg.substr(equals + 1);
  }
  return value;
}

}  // namespace vantrel
