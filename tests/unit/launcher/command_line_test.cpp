#include "launcher/command_line.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(UserDataDir, Rules) {
  struct Case {
    std::vector<std::wstring> args;
    std::wstring expected;
  };
  const Case cases[] = {
      {{}, L""},
      {{L"--user-data-dir=C:\\p"}, L"C:\\p"},
      {{L"--user-data-dir="}, L""},
      {{L"--user-data-dir=", L"--user-data-dir=D:\\second"}, L"D:\\second"},
      {{L"--USER-DATA-DIR=C:\\p"}, L""},
      {{L"--user-data-dir=C:\\a", L"--user-data-dir=C:\\b"}, L"C:\\a"},
      {{L"x", L"--user-data-dir=C:\\with blank\\"}, L"C:\\with blank\\"},
      {{L" --user-data-dir=C:\\p"}, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(user_data_dir_from_args(c.args), c.expected);
}

TEST(EngineCommandLine, Layout) {
  const std::wstring fixed =
      L" --hide-crash-restore-bubble --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage"
      L" --disable-save-password-bubble";
  EXPECT_EQ(build_engine_command_line(L"C:\\a b\\vantrel-engine.exe", L"", L""),
            L"\"C:\\a b\\vantrel-engine.exe\"" + fixed);
  EXPECT_EQ(build_engine_command_line(L"E", L"--user-data-dir=\"C:\\p q\"  x", L"chrome://version"),
            L"\"E\"" + fixed + L" --user-data-dir=\"C:\\p q\"  x chrome://version");
  EXPECT_EQ(build_engine_command_line(L"E", L"", L"--a=1 chrome://version"), L"\"E\"" + fixed + L" --a=1 chrome://version");
  EXPECT_EQ(engine_path_for(L"C:\\Program Files\\Vantrel"), L"C:\\Program Files\\Vantrel\\vantrel-engine.exe");
}

TEST(QuoteWindowsArgument, Table) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"https://a/", L"\"https://a/\""},
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
