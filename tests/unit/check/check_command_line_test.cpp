#include "check/check_command_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/text_encoding.h"

namespace vantrel {
namespace {

// The check's own options come first; the rest is the launcher's, unchanged.
TEST(CheckCommandLine, OwnOptionsFirst) {
  // (command line, what was read: flags | the rest | arguments passed on, or "error")
  const std::pair<std::wstring, std::string> cases[] = {
      {L"\"c d.exe\" --json  --probe --user-data-dir=C:\\p \"a b\"", "json probe |--user-data-dir=C:\\p \"a b\"|2"},
      {L"c.exe /? --jsonx", "help |--jsonx|1"},
      {L"c.exe --help", "help ||0"},
      {L"c.exe --json=1 x", "json |x|error"},
      {L"c.exe x --probe", "|x --probe|error"},
      {L"c.exe x -- --probe --jsn", "|x -- --probe --jsn|1"},  // after "--": the Engine's
      {L"c.exe --strict --profiles \"D:\\s t\" --json", "json strict D:\\s t||0"},
      {L"c.exe --profiles=D:\\s", "D:\\s||0"},
      {L"c.exe --profiles", "||error"},
      {L"c.exe --profiles D:\\s --user-data-dir=x", "D:\\s|--user-data-dir=x|error"},
      // No blank after the quoted name: the runtime's remainder starts after
      // "--json", and the arguments are read from that same text.
      {L"\"c.exe\"--json --x --user-data-dir=C:\\p", "|--x --user-data-dir=C:\\p|2"},
  };
  for (const auto& [line, expected] : cases) {
    const CheckCommandLine c = parse_check_command_line(line);
    const std::string read = std::string(c.json ? "json " : "") + (c.probe ? "probe " : "") + (c.help ? "help " : "") +
                             (c.strict ? "strict " : "") + wide_to_utf8(c.profiles) + "|" +
                             wide_to_utf8(c.launcher.pass_through) + "|" +
                             (c.usage_error.empty() ? std::to_string(c.launcher.own.size()) : "error");
    EXPECT_EQ(read, expected) << wide_to_utf8(line);
  }
  // How many profiles of a store at once: 1 to 16, 4 unless given. (command line, jobs, a usage error)
  const std::tuple<std::wstring, unsigned, bool> jobs[] = {
      {L"c.exe --profiles D:\\s", 4, false}, {L"c.exe --jobs 16 --profiles D:\\s", 16, false},
      {L"c.exe --jobs=1 --profiles D:\\s", 1, false}, {L"c.exe --jobs 0 --profiles D:\\s", 0, true},
      {L"c.exe --jobs=17 --profiles D:\\s", 17, true}, {L"c.exe --jobs x --profiles D:\\s", 0, true},
      {L"c.exe --jobs", 0, true},
  };
  for (const auto& [line, count, error] : jobs) {
    const CheckCommandLine c = parse_check_command_line(line);
    EXPECT_EQ(std::make_pair(c.jobs, !c.usage_error.empty()), std::make_pair(count, error)) << wide_to_utf8(line);
  }
}

}  // namespace
}  // namespace vantrel
