#include "check/check_command_line.h"

#include "base/argument_quote.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"

namespace vantrel {

const std::vector<CheckOption>& check_options() {
  using C = CheckCommandLine;
  static const std::vector<CheckOption> options = {
      {"--json", "one JSON object (per profile: one line each) instead of text", &C::json},
      {"--probe",
       "ask the geo-IP endpoint through a socks5:// proxy and compare the values\n"
       "              the overlay fixes with the egress (exit 3: probe failed, 4: mismatch)",
       &C::probe},
      {"--strict", "exit 5 when a problem is reported", &C::strict},
      {"--profiles", "", nullptr},
      {"--jobs", "with --profiles: how many profiles are checked (and probed) at once, 1 to 16; 4 unless given",
       nullptr},
      {"--help", "", &C::help},
  };
  return options;
}

std::string check_usage() {
  std::string usage =
      "usage: vantrel-check.exe [--json] [--probe] [--strict] <the launcher's arguments>\n"
      "       vantrel-check.exe [--json] [--probe] [--strict] [--jobs N] --profiles <folder>\n"
      "  Explains the start vantrel.exe (beside this program) would make with these arguments,\n"
      "  or for every profile of <folder> (a subfolder with a command-line.json, a Local State\n"
      "  or a Default folder);\n"
      "  writes, deletes and starts nothing.\n";
  for (const CheckOption& o : check_options()) {
    if (*o.usage != '\0') usage += "  " + (o.name + std::string(12 - std::string(o.name).size(), ' ')) + o.usage + "\n";
  }
  return usage;
}

namespace {

// The option `text` begins with (followed by its end, a blank, a control
// character or "="), or null.
const CheckOption* option_at(const std::wstring& text) {
  for (const CheckOption& o : check_options()) {
    const std::wstring name = utf8_to_wide(o.name);
    if (text.compare(0, name.size(), name) == 0 &&
        (text.size() == name.size() || text[name.size()] <= L' ' || text[name.size()] == L'=')) {
      return &o;
    }
  }
  static const CheckOption help_alias = {"/?", "", &CheckCommandLine::help};
  const bool help = text.compare(0, 2, L"/?") == 0 && (text.size() == 2 || text[2] <= L' ');
  return help ? &help_alias : nullptr;
}

}  // namespace

std::string misspelt_check_option(const std::wstring& arg) {
  if (arg.size() < 3 || arg[0] != L'-') return std::string();
  const std::string name = wide_to_utf8(arg.substr(0, arg.find(L'=')));
  std::vector<std::string> names;
  for (const CheckOption& o : check_options()) {
    if (name == o.name) return std::string();
    names.push_back(o.name);
  }
  return nearest(name, names);
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
  for (const CheckOption* option = option_at(rest); option != nullptr; option = option_at(rest)) {
    const std::wstring token = own < argv.size() ? argv[own] : std::wstring();
    if (option->flag == nullptr) {
      // The value follows as the next argument, or after "=".
      std::wstring value;
      if (token.find(L'=') != std::wstring::npos) {
        value = token.substr(token.find(L'=') + 1);
      } else {
        rest = command_line_remainder(rest);
        ++own;
        value = own < argv.size() ? argv[own] : std::wstring();
      }
      if (std::string(option->name) == "--profiles") {
        profiles = true;
        c.profiles = value;
        if (c.profiles.empty()) fail("--profiles needs the folder that holds the profiles");
      } else {
        const bool number = value.size() <= 2 && !value.empty() && value.find_first_not_of(L"0123456789") == std::wstring::npos;
        c.jobs = number ? static_cast<unsigned>(std::stoul(value)) : 0;
        if (c.jobs < 1 || c.jobs > 16) fail("--jobs takes a number from 1 to 16");
      }
    } else {
      if (token.find(L'=') != std::wstring::npos) fail(wide_to_utf8(token) + ": its options take no value");
      c.*(option->flag) = true;
    }
    rest = command_line_remainder(rest);
    ++own;
  }
  c.launcher = read_launcher_arguments(rest);
  for (const std::wstring& a : c.launcher.own) {
    const CheckOption* option = option_at(a);
    if (option != nullptr && a == utf8_to_wide(option->name) && option->flag != &CheckCommandLine::help) {
      fail(wide_to_utf8(a) + " must come before the launcher's arguments");
    }
  }
  if (profiles && !split_arguments(rest).empty()) {
    fail("with --profiles each profile is checked as if started with its folder alone: no launcher arguments");
  }
  return c;
}

}  // namespace vantrel
