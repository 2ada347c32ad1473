#include "launcher/launch_plan.h"

#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "launcher/host_hardware.h"
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
  const std::wstring host = L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows";
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none), host + L" chrome://version");
  // Presence keys suppress the host values, whatever their value.
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::passthrough, none, L"--a=1 --b=2"),
            L"--hardware-concurrency=12 --a=1 --b=2 chrome://version");
  EXPECT_EQ(switches(R"({"device-memory":"","speech-voices":null})", SwitchForm::degraded, none, L"--a=1"),
            L"--hardware-concurrency=12 chrome://version");
  EXPECT_EQ(switches("{}", SwitchForm::passthrough, none, L"", HostFigures{}),
            L"--speech-voices-preset=stock-chrome-windows chrome://version");
  EXPECT_EQ(switches(R"({"device-memory":4,"hardware-concurrency":2,"speech-voices":[],"start-page":"https://a/x y"})",
                     SwitchForm::passthrough, none),
            L"\"https://a/x y\"");
}

TEST(EngineSwitches, DiscoveryForm) {
  DiscoveryOutcome d;
  d.webrtc_public_ip = L"203.0.113.5";
  d.timezone_override = L"Europe/Berlin";
  d.lang = L"de-DE";
  d.accept_language = L"de-DE,de;q=0.9";
  d.geo_lat = L"52.52";
  d.geo_lng = L"13.40";
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true})", SwitchForm::discovery, d, L"--gl=x"),
            L"--gl=x --webrtc-fake-public-ip=203.0.113.5 --force-webrtc-ip-handling-policy=default"
            L" --timezone-override=Europe/Berlin --lang=de-DE --accept-language=de-DE,de;q=0.9"
            L" --geo-lat=52.52 --geo-lng=13.40 --geo-accuracy=100 --device-memory=8 --hardware-concurrency=12"
            L" --speech-voices-preset=stock-chrome-windows chrome://version");
  const char* bare = R"({"device-memory":1,"hardware-concurrency":1,"speech-voices":1})";
  DiscoveryOutcome lat_only;
  lat_only.geo_lat = L"1.5";
  EXPECT_EQ(switches(bare, SwitchForm::discovery, lat_only), L"--geo-lat=1.5 chrome://version");
  EXPECT_EQ(switches(bare, SwitchForm::discovery, DiscoveryOutcome()), L"chrome://version");
  // The policy switch follows the overlay flag alone, even with its own IP.
  EXPECT_EQ(switches(R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.1.1.1","speech-voices":1})",
                     SwitchForm::discovery, DiscoveryOutcome(), L"", HostFigures{}),
            L"--force-webrtc-ip-handling-policy=default chrome://version");
}

TEST(StartPage, Arguments) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L"chrome://version"},
      {"https://a.example/?q=a b", L"\"https://a.example/?q=a b\""},
      {"https://x/\" --evil=1 \"", L"\"https://x/\\\" --evil=1 \\\"\""},
      {"https://a.example/\xC3\xA9", L"\"https://a.example/\x00E9\""},
      // What does not begin with a letter stands behind "--": the Engine
      // would take it for a switch otherwise.
      {"--proxy-server=direct://", L"-- \"--proxy-server=direct://\""},
      {"/remote-debugging-port=9222", L"-- \"/remote-debugging-port=9222\""},
      {" --x", L"-- \" --x\""},
      {"1.example", L"-- \"1.example\""},
      {"\xC3\xA9", L"-- \"\x00E9\""},
      {"Z", L"\"Z\""},
  };
  for (const auto& [page, text] : cases) EXPECT_EQ(join_arguments(start_page_arguments(page)), text) << page;
}

TEST(LaunchPlan, FromTheProfileFolder) {
  vantrel::testing::TempDir dir;
  vantrel::testing::write_file(
      dir.fs() / "command-line.json",
      R"({"proxy-server":"socks5://h:1","auto-lang":true,"start-page":"https://x/","granular-storage-reset":{"websql":true}})");
  const LaunchPlan plan = plan_launch({L"--no-first-run", L"--user-data-dir=" + dir.wide()}, L"");
  EXPECT_EQ(plan.overlay_path, dir.wide() + L"\\command-line.json");
  EXPECT_TRUE(plan.overlay_read);
  EXPECT_EQ(plan.path, StartPath::discovery);
  ASSERT_EQ(plan.removals.size(), 6u);  // the start page closes the previous tabs
  EXPECT_EQ(plan.removals[0].path, dir.wide() + L"\\Default\\Current Tabs");
  EXPECT_EQ(plan.removals[5].path, dir.wide() + L"\\Default\\databases");

  const std::pair<const char*, StartPath> paths[] = {
      {R"({"proxy-server":"socks5://h:1","auto-timezone":true,"timezone-override":"UTC"})", StartPath::passthrough},
      {R"({"proxy-server":"SOCKS5://h:1","auto-timezone":true})", StartPath::passthrough},
      {R"({"proxy-server":"http://h:1","webrtc-no-leak":true})", StartPath::passthrough},
      {R"({"proxy-server":"socks5://","webrtc-no-leak":true})", StartPath::discovery},
  };
  for (const auto& [overlay, path] : paths) EXPECT_EQ(choose_start_path(parse_persona_overlay(overlay)), path);
}

TEST(DeviceMemory, Thresholds) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const std::pair<double, int> cases[] = {
      {0, 1},  {1.49, 1}, {1.5, 2},   {2.99, 2},  {3, 4},   {5.99, 4},  {6, 8},
      {7.9, 8}, {12, 16}, {15.8, 16}, {23.99, 16}, {24, 32}, {128, 32}, {1e9, 32},
  };
  for (const auto& [gib, expected] : cases) {
    EXPECT_EQ(device_memory_for_total_bytes(static_cast<std::uint64_t>(gib * GiB)), expected) << gib;
  }
  EXPECT_EQ(device_memory_for_total_bytes(UINT64_MAX), 32);
}

}  // namespace
}  // namespace vantrel
