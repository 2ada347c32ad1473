#include "launcher/switches.h"

#include <gtest/gtest.h>

#include "launcher/host_hardware.h"

namespace vantrel {
namespace {

const HostFigures kHost{L"8", L"12"};

TEST(PassthroughAndDegradedForms, Table) {
  struct Case {
    const char* overlay;
    HostFigures host;
    std::wstring webgl;
    std::wstring passthrough;
    std::wstring degraded;
  };
  const Case cases[] = {
      {"{}", kHost, L"",
       L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows chrome://version",
       L"--device-memory=8 --hardware-concurrency=12 --speech-voices-preset=stock-chrome-windows chrome://version"},
      {R"({"device-memory":"","speech-voices":null})", kHost, L"--a=1 --b=2",
       L"--hardware-concurrency=12 --a=1 --b=2 chrome://version", L"--hardware-concurrency=12 chrome://version"},
      {R"({"device-memory":4,"hardware-concurrency":2,"speech-voices":[],"start-page":"https://a.example/x y"})",
       kHost, L"", L"\"https://a.example/x y\"", L"\"https://a.example/x y\""},
      {"{}", HostFigures{L"", L""}, L"", L"--speech-voices-preset=stock-chrome-windows chrome://version",
       L"--speech-voices-preset=stock-chrome-windows chrome://version"},
      {R"({"hardware-concurrency":1,"webrtc-no-leak":true})", kHost, L"",
       L"--device-memory=8 --speech-voices-preset=stock-chrome-windows chrome://version",
       L"--device-memory=8 --speech-voices-preset=stock-chrome-windows chrome://version"},
  };
  for (const auto& c : cases) {
    const PersonaOverlay o = parse_persona_overlay(c.overlay);
    EXPECT_EQ(assemble_passthrough_switches(o, c.host, c.webgl), c.passthrough) << c.overlay;
    EXPECT_EQ(assemble_degraded_switches(o, c.host), c.degraded) << c.overlay;
  }
}

std::wstring discovery_form(const PersonaOverlay& o, const DiscoveryOutcome& d, const std::wstring& webgl,
                            const HostFigures& host) {
  std::wstring s = begin_discovery_switches(o, d, webgl);
  finish_discovery_switches(s, o, host);
  return s;
}

TEST(DiscoveryForm, FullOutcome) {
  DiscoveryOutcome d;
  d.webrtc_public_ip = L"203.0.113.5";
  d.timezone_override = L"Europe/Berlin";
  d.lang = L"de-DE";
  d.accept_language = L"de-DE,de;q=0.9,en;q=0.8";
  d.geo_lat = L"52.52";
  d.geo_lng = L"13.40";
  const PersonaOverlay o = parse_persona_overlay(R"({"webrtc-no-leak":true})");
  EXPECT_EQ(discovery_form(o, d, L"--gl=x", kHost),
            L"--gl=x --webrtc-fake-public-ip=203.0.113.5 --force-webrtc-ip-handling-policy=default"
            L" --timezone-override=Europe/Berlin --lang=de-DE --accept-language=de-DE,de;q=0.9,en;q=0.8"
            L" --geo-lat=52.52 --geo-lng=13.40 --geo-accuracy=100 --device-memory=8 --hardware-concurrency=12"
            L" --speech-voices-preset=stock-chrome-windows chrome://version");
}

TEST(DiscoveryForm, PartialOutcomes) {
  DiscoveryOutcome lat_only;
  lat_only.geo_lat = L"1.5";
  const PersonaOverlay bare = parse_persona_overlay(R"({"device-memory":1,"hardware-concurrency":1,"speech-voices":1})");
  EXPECT_EQ(discovery_form(bare, lat_only, L"", kHost), L"--geo-lat=1.5 chrome://version");

  DiscoveryOutcome nothing;
  EXPECT_EQ(discovery_form(bare, nothing, L"", kHost), L"chrome://version");
  // The policy switch follows the overlay flag alone, even with an own fake IP.
  const PersonaOverlay own_ip =
      parse_persona_overlay(R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.1.1.1","speech-voices":1})");
  EXPECT_EQ(discovery_form(own_ip, nothing, L"", HostFigures{}),
            L"--force-webrtc-ip-handling-policy=default chrome://version");
}

TEST(StartPage, Quoting) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L"chrome://version"},
      {"https://a.example/", L"\"https://a.example/\""},
      {"https://a.example/?q=a b", L"\"https://a.example/?q=a b\""},
      {"https://x/\" --evil=1 \"", L"\"https://x/\\\" --evil=1 \\\"\""},
      {"C:\\start\\", L"\"C:\\start\\\\\""},
      {"https://a.example/\xC3\xA9", L"\"https://a.example/\x00E9\""},
      // Whatever does not begin with a letter stands behind "--": the Engine
      // would take it for a switch otherwise.
      {"--proxy-server=direct://", L"-- \"--proxy-server=direct://\""},
      {"/remote-debugging-port=9222", L"-- \"/remote-debugging-port=9222\""},
      {" --x", L"-- \" --x\""},
      {"/x", L"-- \"/x\""},
      {"1.example", L"-- \"1.example\""},
      {"\xC3\xA9", L"-- \"\x00E9\""},
      {"Z", L"\"Z\""},
  };
  for (const auto& [page, text] : cases) EXPECT_EQ(start_page_text(page), text) << page;
}

TEST(AppendSwitch, EmptyValueAddsNothing) {
  std::wstring s;
  append_switch(s, L"a", L"");
  EXPECT_EQ(s, L"");
  append_switch(s, L"a", L"1");
  append_switch(s, L"b", L"");
  append_switch(s, L"c", L"x y");
  EXPECT_EQ(s, L"--a=1 --c=x y");
}

TEST(DeviceMemory, Thresholds) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const std::pair<double, int> cases[] = {
      {0, 1},    {1.49, 1}, {1.5, 2},  {2.99, 2}, {3, 4},     {5.99, 4},   {6, 8},        {7.9, 8},
      {11.99, 8}, {12, 16}, {15.8, 16}, {23.99, 16}, {24, 32}, {64, 32}, {128, 32}, {1e9, 32},
  };
  for (const auto& [gib, expected] : cases) {
    EXPECT_EQ(device_memory_for_total_bytes(static_cast<std::uint64_t>(gib * GiB)), expected) << gib;
  }
  EXPECT_EQ(device_memory_for_total_bytes(UINT64_MAX), 32);
  EXPECT_EQ(device_memory_for_total_bytes((3ull << 29) - 1), 1);  // just under 1.5 GiB
}

TEST(HostFigures, OnlyForSettingsTheOverlayLeavesOpen) {
  const HostFigures none = query_host_figures(parse_persona_overlay(R"({"device-memory":1,"hardware-concurrency":1})"));
  EXPECT_TRUE(none.device_memory.empty());
  EXPECT_TRUE(none.hardware_concurrency.empty());
  const HostFigures host = query_host_figures(parse_persona_overlay("{}"));
  EXPECT_FALSE(host.device_memory.empty());
  EXPECT_FALSE(host.hardware_concurrency.empty());
  EXPECT_EQ(host.device_memory.find_first_not_of(L"0123456789"), std::wstring::npos);
}

}  // namespace
}  // namespace vantrel
