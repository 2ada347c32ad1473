#include "launcher/launch_plan.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "launcher/engine_command_line.h"
#include "launcher/host_hardware.h"
#include "launcher/launcher_arguments.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// The profile folder: ours is the first "--user-data-dir=" with a value
// (letter case counts); the Engine's is the last switch of that name read
// its way. When they differ nothing may be begun.
TEST(OwnCommandLine, TheProfileAsTheEngineReadsIt) {
  // (remainder, ours, the Engine's, ambiguous)
  const std::tuple<std::wstring, std::wstring, std::wstring, bool> cases[] = {
      {L"--user-data-dir=A", L"A", L"A", false},
      {L"--user-data-dir= --USER-DATA-DIR=a --user-data-dir=b --user-data-dir=b", L"b", L"b", false},
      {L"--user-data-dir=A --user-data-dir=B", L"A", L"B", true},
      {L"--USER-DATA-DIR=B", L"", L"B", true},
      {L"-user-data-dir=B", L"", L"B", true},
      {L"/user-data-dir=B --user-data-dir=B", L"B", L"B", false},
      {L"\" --user-data-dir=B\"", L"", L"B", true},
      {L"--user-data-dir=A --user-data-dir=", L"A", L"", true},
      {L"--user-data-dir=A --user-data-dir", L"A", L"", true},
      {L"--user-data-dir=A -- --user-data-dir=B", L"A", L"A", false},
      {L"\" -- \" --user-data-dir=B", L"", L"", false},
      {L"--user-data-dir", L"", L"", false},
      {L"x", L"", L"", false},
  };
  for (const auto& [remainder, ours, engines, ambiguous] : cases) {
    const ProfileChoice p = choose_profile(read_launcher_arguments(remainder));
    EXPECT_EQ(p.written, ours) << wide_to_utf8(remainder);
    EXPECT_EQ(p.engine_reads, engines) << wide_to_utf8(remainder);
    EXPECT_EQ(p.ambiguous, ambiguous) << wide_to_utf8(remainder);
    EXPECT_EQ(p.folder.empty(), ambiguous || ours.empty()) << wide_to_utf8(remainder);
  }
#ifdef _WIN32
  // One folder however written; a device is no folder.
  for (const wchar_t* same : {L"--user-data-dir=C:\\P -user-data-dir=c:\\p\\", L"--user-data-dir=C:\\P --user-data-dir=C:/P/",
                              L"--user-data-dir=C:\\P\\x. --user-data-dir=C:\\p\\X"}) {
    EXPECT_FALSE(choose_profile(read_launcher_arguments(same)).ambiguous) << wide_to_utf8(same);
  }
  for (const wchar_t* device : {L"--user-data-dir=NUL", L"--user-data-dir=C:\\p\\COM1", L"--user-data-dir=\\\\.\\pipe\\x",
                                L"--user-data-dir=\\??\\C:\\p"}) {
    const ProfileChoice p = choose_profile(read_launcher_arguments(device));
    EXPECT_TRUE(!p.ambiguous && p.folder.empty()) << wide_to_utf8(device);
  }
#endif
}

TEST(LaunchPlan, FromTheProfileFolder) {
  vantrel::testing::TempDir dir;
  vantrel::testing::write_file(
      dir.fs() / "command-line.json",
      R"({"proxy-server":"socks5://h:1","auto-lang":true,"start-page":"https://x/","granular-storage-reset":{"websql":true}})");
  const LauncherArguments args = read_launcher_arguments(L"--no-first-run " + quote_windows_argument(L"--user-data-dir=" + dir.wide()));
  // No Engine beside "": a start would stop there, reading nothing; the check plans on.
  EXPECT_EQ(plan_launch(args, choose_profile(args), L"").overlay_state, platform::FileRead::missing);
  const LaunchPlan plan = plan_launch(args, choose_profile(args), L"", PlanUse::check);
  EXPECT_EQ(not_begun(plan), Ending::engine_missing);
  EXPECT_EQ(plan.overlay_path.shown(), dir.wide() + L"\\command-line.json");
  EXPECT_TRUE(plan.overlay_read());
  EXPECT_EQ(std::make_tuple(plan.path, plan.reason, plan.form, plan.cleaning_asked),
            std::make_tuple(StartPath::discovery, StartReason::socks5_proxy, SwitchForm::discovery, true));
  ASSERT_EQ(plan.removals.size(), 6u);  // the start page closes the previous tabs
  EXPECT_EQ(plan.removals[0].names, L"Default\\Current Tabs");
  EXPECT_EQ(plan.removals[5].names, L"Default\\databases");
  // An ambiguous profile: nothing is read.
  const LauncherArguments two = read_launcher_arguments(args.pass_through + L" -user-data-dir=x");
  const LaunchPlan none = plan_launch(two, choose_profile(two), L"", PlanUse::check);
  EXPECT_TRUE(none.profile.ambiguous && none.overlay_path.empty() && !none.overlay_read() && none.removals.empty());

  const std::pair<const char*, StartReason> passthrough[] = {
      {R"({"proxy-server":"socks5://h:1","auto-timezone":true,"timezone-override":"UTC"})", StartReason::nothing_needed},
      {R"({"proxy-server":"SOCKS5://h:1","auto-timezone":true})", StartReason::not_socks5},
      {R"({"proxy-server":"http://h:1","webrtc-no-leak":true})", StartReason::not_socks5},
      {R"({"auto-geo":true})", StartReason::no_proxy}};
  for (const auto& [overlay, reason] : passthrough) {
    EXPECT_EQ(choose_start_path(parse_persona_overlay(overlay)), StartPath::passthrough) << overlay;
    EXPECT_EQ(start_reason(parse_persona_overlay(overlay)), reason) << overlay;
  }
  EXPECT_EQ(choose_start_path(parse_persona_overlay(R"({"proxy-server":"socks5://","webrtc-no-leak":1})")),
            StartPath::discovery);
}

TEST(HostFigures, OnlyForSettingsTheOverlayLeavesOpen) {
  const HostFigures none = query_host_figures(parse_persona_overlay(R"({"device-memory":1,"hardware-concurrency":1})"));
  EXPECT_TRUE(none.device_memory.empty() && none.hardware_concurrency.empty());
  const HostFigures host = query_host_figures(parse_persona_overlay("{}"));
  EXPECT_TRUE(!host.device_memory.empty() && !host.hardware_concurrency.empty());
}

}  // namespace
}  // namespace vantrel
