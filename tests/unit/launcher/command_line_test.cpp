#include "launcher/command_line.h"

#include <gtest/gtest.h>

#include "base/argument_quote.h"

namespace vantrel {
namespace {

TEST(UserDataDir, FirstUsableArgument) {
  const std::pair<std::vector<std::wstring>, std::wstring> cases[] = {
      {{}, L""},
      {{L"--user-data-dir="}, L""},
      {{L"--user-data-dir=", L"--user-data-dir=D:\\second"}, L"D:\\second"},
      {{L"--USER-DATA-DIR=C:\\p"}, L""},
      {{L" --user-data-dir=C:\\p"}, L""},
      {{L"x", L"--user-data-dir=C:\\a b\\", L"--user-data-dir=C:\\b"}, L"C:\\a b\\"},
  };
  for (const auto& [args, dir] : cases) EXPECT_EQ(user_data_dir_from_args(args), dir);
}

TEST(QuoteWindowsArgument, Table) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L"\"\""},
      {L"a b", L"\"a b\""},
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      {L"a\\\"b", L"\"a\\\\\\\"b\""},
      {L"C:\\dir\\", L"\"C:\\dir\\\\\""},
      {L"a\\b", L"\"a\\b\""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(quote_windows_argument(in), out);
}

}  // namespace
}  // namespace vantrel
