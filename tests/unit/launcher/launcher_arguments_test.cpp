#include "launcher/launcher_arguments.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/text_encoding.h"

namespace vantrel {
namespace {

// Our own arguments end where the Engine's own part begins: at an argument
// that is "--" once trimmed, or "--single-argument". What follows is the
// Engine's, whatever it looks like.
TEST(OwnCommandLine, EndsAtTheEnginesOwnPart) {
  // (remainder, our own arguments, where the Engine's part begins, whether it is --single-argument)
  const std::size_t none = std::wstring::npos;
  const std::tuple<std::wstring, std::vector<std::wstring>, std::size_t, bool> cases[] = {
      {L"--user-data-dir=P -- --vantrel-outcome-file=D", {L"--user-data-dir=P"}, 18, false},
      {L"--vantrel-outcome-file=O -- --user-data-dir=P", {L"--vantrel-outcome-file=O"}, 25, false},
      {L"-- --user-data-dir=Q", {}, 0, false},
      {L"--user-data-dir=P --", {L"--user-data-dir=P"}, 18, false},
      {L"a  -- b -- c", {L"a"}, 3, false},
      {L"--x --- -x", {L"--x", L"---", L"-x"}, none, false},
      {L"\"--\" x", {}, 0, false},
      {L"y \" -- \" --user-data-dir=Q", {L"y"}, 2, false},
      {L"x --single-argument https://a/ -- b", {L"x"}, 2, true},
      {L"x --Single-Argument y", {L"x", L"--Single-Argument", L"y"}, none, false},
  };
  for (const auto& [remainder, own, part, single] : cases) {
    const LauncherArguments a = read_launcher_arguments(remainder);
    EXPECT_EQ(a.own, own) << wide_to_utf8(remainder);
    EXPECT_EQ(a.engine_part, part) << wide_to_utf8(remainder);
    EXPECT_EQ(a.single_argument, single) << wide_to_utf8(remainder);
    EXPECT_EQ(a.pass_through, remainder);
  }
  EXPECT_EQ(switch_value(read_launcher_arguments(L"-- --vantrel-outcome-file=D").own, L"--vantrel-outcome-file="), L"");
  EXPECT_EQ(switch_value(read_launcher_arguments(L"--vantrel-outcome-file=O --").own, L"--vantrel-outcome-file="), L"O");
}

}  // namespace
}  // namespace vantrel
