#include "check/check_command_line.h"

#include <algorithm>

#include "base/argument_quote.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"

namespace vantrel {

namespace {

const std::vector<std::string>& check_options() {
  static const std::vector<std::string> options = {"--json", "--probe", "--strict", "--profiles", "--help"};
  return options;
}

bool starts_option(const std::wstring& text, const std::wstring& option) {
  return text.compare(0, option.size(), option) == 0 &&
         (text.size() == option.size() || text[option.size()] <= L' ' || text[option.size()] == L'=');
}

}  // namespace

std::string misspelt_check_option(const std::wstring& arg) {
  if (arg.size() < 3 || arg[0] != L'-') return std::string();
  const std::string name = wide_to_utf8(arg.substr(0, arg.find(L'=')));
  const std::vector<std::string>& options = check_options();
  if (std::find(options.begin(), options.end(), name) != options.end()) return std::string();
  return nearest(name, options);
}

CheckCommandLine parse_check_command_line(const std::wstring& command_line) {
  CheckCommandLine c;
  std::wstring rest = command_line_remainder(command_line);
  const std::vector<std::wstring> argv = split_arguments(rest);
  std::size_t own = 0;  // arguments of argv read so far
  bool profiles = false;
  const auto fail = [&c](const std::string& message) {
    if (c.usage_error.empty()) c.usage_error = "vantrel-check: " + message;
  };
  for (;;) {
    bool* flag = starts_option(rest, L"--json")     ? &c.json
                 : starts_option(rest, L"--probe")  ? &c.probe
                 : starts_option(rest, L"--strict") ? &c.strict
                 : starts_option(rest, L"--help") || starts_option(rest, L"/?") ? &c.help
                 : starts_option(rest, L"--profiles") ? &profiles
                                                       : nullptr;
    if (flag == nullptr) break;
    const std::wstring token = own < argv.size() ? argv[own] : std::wstring();
    if (flag == &profiles) {
      // The folder follows as the next argument, or after "=".
      if (token.find(L'=') != std::wstring::npos) {
        c.profiles = token.substr(token.find(L'=') + 1);
      } else {
        rest = command_line_remainder(rest);
        ++own;
        c.profiles = own < argv.size() ? argv[own] : std::wstring();
      }
      if (c.profiles.empty()) fail("--profiles needs the folder that holds the profiles");
    } else if (token.find(L'=') != std::wstring::npos) {
      fail(wide_to_utf8(token) + ": its options take no value");
    }
    *flag = true;
    rest = command_line_remainder(rest);
    ++own;
  }
  c.launcher = read_launcher_arguments(rest);
  for (const std::wstring& a : c.launcher.own) {
    if (a == L"--json" || a == L"--probe" || a == L"--strict" || a == L"--profiles") {
      fail(wide_to_utf8(a) + " must come before the launcher's arguments");
    }
  }
  if (profiles && !split_arguments(rest).empty()) {
    fail("with --profiles each profile is checked as if started with its folder alone: no launcher arguments");
  }
  return c;
}

}  // namespace vantrel
