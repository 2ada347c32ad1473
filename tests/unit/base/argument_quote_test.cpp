#include "base/argument_quote.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "base/text_encoding.h"

namespace vantrel {
namespace {

// The launcher's own command line is read once: the arguments (and so the
// profile folder) are the split of the very remainder passed on to the Engine.
TEST(OwnCommandLine, OneReading) {
  // (whole command line, the remainder the runtime hands wWinMain, its arguments)
  const std::tuple<std::wstring, std::wstring, std::vector<std::wstring>> cases[] = {
      {L"\"C:\\V\\vantrel.exe\"--user-data-dir=C:\\a --user-data-dir=C:\\b", L"--user-data-dir=C:\\b",
       {L"--user-data-dir=C:\\b"}},
      {L"\"a b\"c d", L"d", {L"d"}},
      {L"v.exe\t--x\t\"y z\"", L"--x\t\"y z\"", {L"--x", L"y z"}},
      {L"v.exe", L"", {}},
      {L"\"v.exe\"  ", L"", {}},
      {L"v.exe \"a\\\"b\" c\\\\\"d e\" f\\g", L"\"a\\\"b\" c\\\\\"d e\" f\\g", {L"a\"b", L"c\\d e", L"f\\g"}},
      // Runs of quotes: within quotes every third one is a quote and leaves them.
      {L"v \"a\"\"b\" c", L"\"a\"\"b\" c", {L"a\"b c"}},
      {L"v \"\"\"\"\"\" x", L"\"\"\"\"\"\" x", {L"\"\"", L"x"}},
  };
  for (const auto& [line, remainder, args] : cases) {
    EXPECT_EQ(command_line_remainder(line), remainder) << wide_to_utf8(line);
    EXPECT_EQ(split_arguments(remainder), args) << wide_to_utf8(line);
  }
}

// The one splitter against the system's on random text (under Wine and on
// Windows), and its offsets: each argument read again from its offset on.
TEST(OwnCommandLine, TheSplitterIsTheSystems) {
  std::mt19937 random(7);
  const wchar_t alphabet[] = {L'a', L' ', L'\t', L'"', L'\\', L'\u00e9', L'-'};
  for (int round = 0; round < 3000; ++round) {
    std::wstring text;
    for (std::size_t n = random() % 12; n > 0; --n) text += alphabet[random() % 7];
    const std::vector<SplitArgument> split = split_command_line(text);
    for (const SplitArgument& a : split) {
      EXPECT_EQ(split_arguments(text.substr(a.begin)).front(), a.text) << wide_to_utf8(text);
    }
#ifdef _WIN32
    int count = 0;
    const std::wstring line = L"x " + text;
    LPWSTR* argv = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    const std::vector<std::wstring> system(argv + 1, argv + count);
    ::LocalFree(argv);
    EXPECT_EQ(split_arguments(text), system) << wide_to_utf8(text);
#endif
  }
}

}  // namespace
}  // namespace vantrel
