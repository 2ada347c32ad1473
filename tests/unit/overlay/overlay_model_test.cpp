#include "overlay/overlay_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>

#include "overlay/overlay_file.h"
#include "support/temp_dir.h"

namespace vantrel {
namespace {

// A compact view of the settings, so that a table row can name them all.
std::string settings(const PersonaOverlay& o) {
  std::string s = "proxy=" + o.proxy_server + " fail=" + (o.on_proxy_fail == OnProxyFail::block ? "block" : "fallback");
  const std::pair<const char*, bool> flags[] = {
      {"noleak", o.webrtc_no_leak}, {"fakeip", o.has_webrtc_fake_public_ip}, {"geo", o.auto_geo}, {"lang", o.auto_lang},
      {"tz", o.auto_timezone}, {"+lat", o.has_geo_lat}, {"+lng", o.has_geo_lng}, {"+lang", o.has_lang},
      {"+accept", o.has_accept_language}, {"+tz", o.has_timezone_override}, {"tabs", o.close_previous_tabs},
      {"+mem", o.has_device_memory}, {"+cpu", o.has_hardware_concurrency}, {"+voices", o.has_speech_voices}};
  for (const auto& [name, on] : flags) {
    if (on) s += std::string(" ") + name;
  }
  if (!o.start_page.empty()) s += " page=" + o.start_page;
  if (!o.webgl_profile.empty()) s += " webgl=" + o.webgl_profile;
  for (const auto& [name, on] : o.granular_storage_reset) s += " " + name + (on ? "+" : "-");
  return s;
}

TEST(PersonaOverlay, Readings) {
  using namespace std::string_literals;
  const std::pair<std::string, const char*> cases[] = {
      {"", "proxy= fail=block"},
      {R"({"webrtc-no-leak":true,"on-proxy-fail":"fallback"})", "proxy= fail=fallback noleak"},
      {R"({"webrtc-no-leak":"1","on-proxy-fail":"Fallback","auto-geo":"true","auto-lang":1})",
       "proxy= fail=block noleak geo lang"},
      {R"({"webrtc-no-leak":"TRUE","auto-timezone":2,"auto-geo":yes,"on-proxy-fail":1})", "proxy= fail=block"},
      {R"({"start-page":"https:\/\/x\/\"q","close-previous-tabs":false})", "proxy= fail=block tabs page=https://x/\"q"},
      {R"({"start-page":"","close-previous-tabs":1})", "proxy= fail=block tabs"},
      // A start page ends at a NUL byte, as the Engine's command line would.
      {"{\"start-page\":\"https://x/\0 --y\"}"s, "proxy= fail=block tabs page=https://x/"},
      {"{\"start-page\":\"\0x\"}"s, "proxy= fail=block"},
      {R"({"proxy-server":"socks5://top:1","chrome-command-line":{"--proxy-server":"socks5://cl:2"}})",
       "proxy=socks5://top:1 fail=block"},
      {R"({"proxy-server":null,"chrome-command-line":{"--proxy-server":"socks5://cl:2"}})",
       "proxy=socks5://cl:2 fail=block"},
      {R"({"x":{"--proxy-server":"socks5://cl:2"}})", "proxy= fail=block"},
      // Presence keys count wherever they stand and whatever their value.
      {R"({"geo-lat":null,"lang":"","device-memory":0,"chrome-command-line":{"accept-language":1},"--timezone-override":"x"})",
       "proxy= fail=block +lat +lang +accept +mem"},
      {R"({"webrtc-fake-public-ip":5,"hardware-concurrency":"","speech-voices":[]})",
       "proxy= fail=block +cpu +voices"},
      {R"({"webrtc-fake-public-ip":"1.2.3.4","webgl-profile":"nv\/1"})", "proxy= fail=block fakeip webgl=nv/1"},
      {R"({"granular-storage-reset":{"cookies":true,"all":false,"Cookies":"true"}})",
       "proxy= fail=block all- cookies+"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(settings(parse_persona_overlay(text)), expected) << text;
}

TEST(NeedsDiscovery, Table) {
  const std::pair<const char*, const char*> cases[] = {  // (overlay, the settings that need the egress)
      {R"({"webrtc-no-leak":true,"auto-geo":true,"geo-lat":1})", "webrtc-no-leak auto-geo "},
      {R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.2.3.4","auto-geo":true,"geo-lat":1,"geo-lng":2})", ""},
      {R"({"auto-lang":true,"lang":"de","auto-timezone":"true"})", "auto-lang auto-timezone "},
      {R"({"auto-lang":true,"lang":"de","accept-language":"de","auto-timezone":1,"timezone-override":"UTC"})", ""},
  };
  for (const auto& [text, needs] : cases) {
    std::string listed;
    for (const std::string& n : discovery_needs(parse_persona_overlay(text))) listed += n + " ";
    EXPECT_EQ(listed, needs) << text;
  }
}

TEST(OverlayListing, WhatIsListed) {
  // The switch object listed is the last; the proxy comes from the first.
  const std::string text =
      R"({"webrtc-no-leak":false,"_comment":"x","auto-lang":true,"lang":"de-DE","chrome-command-line":"str",)"
      R"("chrome-command-line":{"--proxy-server":"socks5://one:1"},)"
      R"("n":null,"off":"Off","chrome-command-line":{"_x":true,"--a":"off","--b":1,"":true}})";
  const OverlayListing l = build_overlay_listing(text);
  std::string listed;
  for (const auto& e : l.overrides) listed += e.key + "=" + e.value + " ";
  listed += "|";
  for (const auto& e : l.raw_switches) listed += " " + e.key + "=" + e.value;
  EXPECT_EQ(listed, "auto-lang=true lang=\"de-DE\" | _x=true --b=1");
  EXPECT_EQ(parse_persona_overlay(text).proxy_server, "socks5://one:1");
  // Of a huge overlay only the rows a window can show are kept (the first by
  // key, equal keys in file order), the count is exact.
  std::string huge = "{";
  for (std::size_t i = LISTED_ROWS_KEPT + 500; i-- > 0;) huge += "\"k" + std::to_string(100000 + i) + "\":" + std::to_string(i + 1) + ",";
  huge += R"("k100000":"again","chrome-command-line":{"--s":1}})";
  const OverlayListing big = build_overlay_listing(huge);
  ASSERT_EQ(big.overrides.size(), LISTED_ROWS_KEPT);
  EXPECT_EQ(big.override_count, LISTED_ROWS_KEPT + 501);
  EXPECT_EQ(big.raw_switch_count, 1u);
  std::vector<std::string> first;
  for (const auto& e : big.overrides) first.push_back(e.key + "=" + e.value);
  std::sort(first.begin(), first.end());
  EXPECT_EQ(first.front(), "k100000=\"again\"");
  EXPECT_EQ(first[1], "k100000=1");
  EXPECT_EQ(first.back(), "k100998=999");
}

}  // namespace
}  // namespace vantrel
