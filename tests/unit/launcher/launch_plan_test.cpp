#include "launcher/launch_plan.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "launcher/engine_command_line.h"
#include "launcher/host_hardware.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

const HostFigures kHost{L"8", L"12"};

std::wstring switches(const char* overlay, SwitchForm form, const DiscoveryOutcome& outcome,
                      const std::wstring& webgl = L"", const HostFigures& host = kHost) {
  LaunchPlan plan;
  plan.overlay = parse_persona_overlay(overlay);
  plan.webgl_switches = webgl;
  return join_arguments(engine_switches(plan, form, outcome, host));
}

TEST(EngineSwitches, PassthroughAndDegradedForms) {
  const DiscoveryOutcome none;
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none),
            L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows chrome://version");
  // Presence keys suppress the host values, whatever their value.
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::passthrough, none, L"--a=1 --b=2"),
            L"--hardware-concurrency=12 --a=1 --b=2 chrome://version");
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::degraded, none, L"--a=1"),
            L"--hardware-concurrency=12 chrome://version");
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none, L"", HostFigures{}),
            L"--speech-voices-preset=stock-chrome-windows chrome://version");
  // The whole line: quoted path, fixed switches, the caller's arguments exactly as given, the added switches.
  LaunchPlan plan;
  plan.overlay = parse_persona_overlay(R"({"start-page":"https://a b/","speech-voices":1})");
  const std::wstring fixed =
      L" --hide-crash-restore-bubble --disable-features=PasswordManagerOnboarding,AutofillEnableAccountWalletStorage"
      L" --disable-save-password-bubble";
  EXPECT_EQ(engine_command_line(L"C:\\V x\\e.exe", L"--a=\"b c\"  --d ", plan, SwitchForm::degraded, none, kHost),
            L"\"C:\\V x\\e.exe\"" + fixed + L" --a=\"b c\"  --d  --device-memory=8 --hardware-concurrency=12 \"https://a b/\"");
  EXPECT_EQ(engine_command_line(L"e", L"", plan, SwitchForm::discovery, none, HostFigures{}),
            L"\"e\"" + fixed + L" \"https://a b/\"");
}

// Windows starts a command line of at most 32,766 characters; a discovery
// start counts what discovery may add at its longest, before it begins.
TEST(EngineCommandLine, LongestAndTheLimit) {
  LaunchPlan plan;
  plan.overlay = parse_persona_overlay(R"({"speech-voices":1,"start-page":"https://a/"})");
  const std::size_t base = engine_command_line(L"e", L"", plan, SwitchForm::passthrough, {}, HostFigures{}).size();
  for (const std::size_t beyond : {0, 1}) {
    plan.overlay.start_page = "https://a/" + std::string(ENGINE_COMMAND_LINE_LIMIT - base + beyond, 'x');
    EXPECT_EQ(longest_engine_command_line(L"e", L"", plan, HostFigures{}), ENGINE_COMMAND_LINE_LIMIT + beyond);
    EXPECT_EQ(exceeds_command_line_limit(ENGINE_COMMAND_LINE_LIMIT + beyond), beyond == 1);
  }
  // An address of 45, a time zone of 64, coordinates of 25 characters, the
  // table's longest language tag (5) and Accept-Language value (32).
  plan.overlay = parse_persona_overlay(R"({"proxy-server":"socks5://h:1","auto-geo":true,"auto-lang":true,)"
                                       R"("auto-timezone":true,"webrtc-no-leak":true,"speech-voices":1})");
  plan.path = StartPath::discovery;
  EXPECT_EQ(longest_engine_command_line(L"e", L"", plan, HostFigures{}), 511u);
  plan.overlay.auto_geo = false;  // no coordinates asked for: " --geo-lat=" and so on, 2 x (11 + 25) + 19 fewer
  EXPECT_EQ(longest_engine_command_line(L"e", L"", plan, HostFigures{}), 511u - 91u);
}

TEST(EngineSwitches, DiscoveryForm) {
  DiscoveryOutcome d;
  d.webrtc_public_ip = "203.0.113.5";
  d.timezone_override = "Europe/Berlin";
  d.lang = "de-DE";
  d.accept_language = "de-DE,de;q=0.9";
  d.geo_lat = "52.52";
  d.geo_lng = "13.40";
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true})", SwitchForm::discovery, d, L"--gl=x"),
            L"--gl=x --webrtc-fake-public-ip=203.0.113.5 --force-webrtc-ip-handling-policy=default"
            L" --timezone-override=Europe/Berlin --lang=de-DE --accept-language=de-DE,de;q=0.9"
            L" --geo-lat=52.52 --geo-lng=13.40 --geo-accuracy=100 --device-memory=8 --hardware-concurrency=12"
            L" --speech-voices-preset=stock-chrome-windows chrome://version");
  const char* bare = R"({"device-memory":1,"hardware-concurrency":1,"speech-voices":1})";
  DiscoveryOutcome lat_only;
  lat_only.geo_lat = "1.5";
  EXPECT_EQ(switches(bare, SwitchForm::discovery, lat_only), L"--geo-lat=1.5 chrome://version");
  EXPECT_EQ(switches(bare, SwitchForm::discovery, DiscoveryOutcome()), L"chrome://version");
  // The policy switch follows the overlay flag alone, even with its own IP.
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.1.1.1","speech-voices":1})",
                     SwitchForm::discovery, DiscoveryOutcome(), L"", HostFigures{}),
            L"--force-webrtc-ip-handling-policy=default chrome://version");
}

// Only a page that begins with an ASCII letter stands without the marker
// "--"; each is one quoted argument.
TEST(StartPage, NeverASwitch) {
  const std::pair<std::string, std::vector<std::wstring>> cases[] = {
      {"", {L"chrome://version"}}, {"https://a/", {L"\"https://a/\""}}, {"a", {L"\"a\""}}, {"z", {L"\"z\""}},
      {"A", {L"\"A\""}}, {"Z", {L"\"Z\""}}, {"@", {L"--", L"\"@\""}}, {"[", {L"--", L"\"[\""}},
      {"`", {L"--", L"\"`\""}}, {"{", {L"--", L"\"{\""}}, {"/x", {L"--", L"\"/x\""}},
      {"--proxy-server=direct://", {L"--", L"\"--proxy-server=direct://\""}}, {" --x", {L"--", L"\" --x\""}},
      {"1.2.3.4", {L"--", L"\"1.2.3.4\""}}, {"\xC3\xA9", {L"--", L"\"\u00E9\""}},
      {"a\"b c\\", {L"\"a\\\"b c\\\\\""}},
  };
  for (const auto& [page, arguments] : cases) EXPECT_EQ(start_page_arguments(page), arguments) << page;
}

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
  };
  for (const auto& [line, remainder, args] : cases) {
    EXPECT_EQ(command_line_remainder(line), remainder) << wide_to_utf8(line);
    EXPECT_EQ(platform::split_arguments(remainder), args) << wide_to_utf8(line);
  }
  EXPECT_EQ(user_data_dir_from_args(platform::split_arguments(command_line_remainder(std::get<0>(cases[0])))),
            L"C:\\b");
}

TEST(LaunchPlan, FromTheProfileFolder) {
  vantrel::testing::TempDir dir;
  vantrel::testing::write_file(
      dir.fs() / "command-line.json",
      R"({"proxy-server":"socks5://h:1","auto-lang":true,"start-page":"https://x/","granular-storage-reset":{"websql":true}})");
  const LaunchPlan plan = plan_launch({L"--no-first-run", L"--user-data-dir=" + dir.wide()}, L"");
  EXPECT_EQ(plan.overlay_path, dir.wide() + L"\\command-line.json");
  // The first "--user-data-dir=" with a value counts, written in lower case.
  EXPECT_EQ(user_data_dir_from_args({L"--user-data-dir=", L"--USER-DATA-DIR=a", L"--user-data-dir=b", L"--user-data-dir=c"}),
            L"b");
  EXPECT_TRUE(plan.overlay_read);
  EXPECT_EQ(plan.path, StartPath::discovery);
  ASSERT_EQ(plan.removals.size(), 6u);  // the start page closes the previous tabs
  EXPECT_EQ(plan.removals[0].path, dir.wide() + L"\\Default\\Current Tabs");
  EXPECT_EQ(plan.removals[5].path, dir.wide() + L"\\Default\\databases");

  for (const char* passthrough : {R"({"proxy-server":"socks5://h:1","auto-timezone":true,"timezone-override":"UTC"})",
                                  R"({"proxy-server":"SOCKS5://h:1","auto-timezone":true})",
                                  R"({"proxy-server":"http://h:1","webrtc-no-leak":true})"}) {
    EXPECT_EQ(choose_start_path(parse_persona_overlay(passthrough)), StartPath::passthrough) << passthrough;
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

TEST(DeviceMemory, Thresholds) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const std::pair<double, int> cases[] = {{0, 1}, {1.49, 1}, {1.5, 2}, {2.99, 2}, {3, 4}, {5.99, 4}, {6, 8},
                                          {7.9, 8}, {12, 16}, {15.8, 16}, {23.99, 16}, {24, 32}, {1e9, 32}};
  for (const auto& [gib, expected] : cases) {
    EXPECT_EQ(device_memory_for_total_bytes(static_cast<std::uint64_t>(gib * GiB)), expected) << gib;
  }
  EXPECT_EQ(device_memory_for_total_bytes(UINT64_MAX), 32);
}

}  // namespace
}  // namespace vantrel
