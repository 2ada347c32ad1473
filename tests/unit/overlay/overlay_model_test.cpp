#include "overlay/overlay_model.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(PersonaOverlay, EmptyTextGivesDefaults) {
  const PersonaOverlay o = parse_persona_overlay("");
  EXPECT_EQ(o.on_proxy_fail, "block");
  EXPECT_EQ(o.proxy_server, "");
  EXPECT_FALSE(o.webrtc_no_leak || o.auto_geo || o.auto_lang || o.auto_timezone || o.close_previous_tabs);
  EXPECT_FALSE(o.has_device_memory || o.has_speech_voices || o.has_lang);
  EXPECT_TRUE(o.granular_storage_reset.empty());
  EXPECT_FALSE(needs_discovery(o));
  const OverlayListing l = build_overlay_listing("");
  EXPECT_TRUE(l.overrides.empty() && l.raw_switches.empty());
}

TEST(PersonaOverlay, SettingReadings) {
  struct Case {
    std::string text;
    bool webrtc_no_leak;
    std::string on_proxy_fail;
  };
  const Case cases[] = {
      {R"({"webrtc-no-leak":true,"on-proxy-fail":"fallback"})", true, "fallback"},
      {R"({"webrtc-no-leak":"1","on-proxy-fail":"Fallback"})", true, "block"},
      {R"({"webrtc-no-leak":"TRUE","on-proxy-fail":"skip"})", false, "block"},
      {R"({"webrtc-no-leak":2,"on-proxy-fail":1})", false, "block"},
      {R"({"webrtc-no-leak":yes,"on-proxy-fail":"block"})", false, "block"},
  };
  for (const auto& c : cases) {
    const PersonaOverlay o = parse_persona_overlay(c.text);
    EXPECT_EQ(o.webrtc_no_leak, c.webrtc_no_leak) << c.text;
    EXPECT_EQ(o.on_proxy_fail, c.on_proxy_fail) << c.text;
  }
}

TEST(PersonaOverlay, StartPageImpliesClosingTabs) {
  EXPECT_TRUE(parse_persona_overlay(R"({"start-page":"https://x/","close-previous-tabs":false})").close_previous_tabs);
  EXPECT_FALSE(parse_persona_overlay(R"({"start-page":"","close-previous-tabs":false})").close_previous_tabs);
  EXPECT_TRUE(parse_persona_overlay(R"({"close-previous-tabs":1})").close_previous_tabs);
}

TEST(PersonaOverlay, ProxySources) {
  EXPECT_EQ(parse_persona_overlay(
                R"({"proxy-server":"socks5://top:1","chrome-command-line":{"--proxy-server":"socks5://cl:2"}})")
                .proxy_server,
            "socks5://top:1");
  EXPECT_EQ(
      parse_persona_overlay(R"({"proxy-server":null,"chrome-command-line":{"--proxy-server":"socks5://cl:2"}})")
          .proxy_server,
      "socks5://cl:2");
  EXPECT_EQ(parse_persona_overlay(R"({"x":{"--proxy-server":"socks5://cl:2"}})").proxy_server, "");
  // Two switch objects: the proxy comes from the first, the listing from the second.
  const std::string two = R"({"chrome-command-line":{"--proxy-server":"socks5://one:1"},)"
                          R"("chrome-command-line":{"--lang":"de","--x":false}})";
  EXPECT_EQ(parse_persona_overlay(two).proxy_server, "socks5://one:1");
  const OverlayListing l = build_overlay_listing(two);
  ASSERT_EQ(l.raw_switches.size(), 1u);
  EXPECT_EQ(l.raw_switches[0].key, "--lang");
  EXPECT_EQ(l.raw_switches[0].value, "\"de\"");
}

TEST(PersonaOverlay, PresenceKeys) {
  const PersonaOverlay o = parse_persona_overlay(
      R"({"geo-lat":null,"lang":"","device-memory":0,"chrome-command-line":{"accept-language":1},"--timezone-override":"x"})");
  EXPECT_TRUE(o.has_geo_lat);
  EXPECT_TRUE(o.has_lang);
  EXPECT_TRUE(o.has_device_memory);
  EXPECT_TRUE(o.has_accept_language);
  EXPECT_FALSE(o.has_timezone_override);
  EXPECT_FALSE(o.has_geo_lng);
  EXPECT_FALSE(parse_persona_overlay(R"({"webrtc-fake-public-ip":5})").has_webrtc_fake_public_ip);
  EXPECT_FALSE(parse_persona_overlay(R"({"webrtc-fake-public-ip":""})").has_webrtc_fake_public_ip);
  EXPECT_TRUE(parse_persona_overlay(R"({"webrtc-fake-public-ip":"1.2.3.4"})").has_webrtc_fake_public_ip);
}

TEST(NeedsDiscovery, Table) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {
      {R"({"webrtc-no-leak":true})", true},
      {R"({"webrtc-no-leak":true,"webrtc-fake-public-ip":"1.2.3.4"})", false},
      {R"({"auto-geo":true,"geo-lat":1})", true},
      {R"({"auto-geo":true,"geo-lat":1,"geo-lng":2})", false},
      {R"({"auto-lang":true,"lang":"de"})", true},
      {R"({"auto-lang":true,"lang":"de","accept-language":"de"})", false},
      {R"({"auto-timezone":"true"})", true},
      {R"({"auto-timezone":true,"timezone-override":"UTC"})", false},
      {R"({"auto-timezone":false,"auto-geo":0})", false},
  };
  for (const auto& c : cases) EXPECT_EQ(needs_discovery(parse_persona_overlay(c.text)), c.expected) << c.text;
}

TEST(OverlayListing, WhatIsListed) {
  const OverlayListing l = build_overlay_listing(
      R"({"webrtc-no-leak":false,"_comment":"x","auto-lang":true,"lang":"de-DE","chrome-command-line":"str",)"
      R"("n":null,"off":"Off","chrome-command-line":{"_x":true,"--a":"off","--b":1,"":true}})");
  ASSERT_EQ(l.overrides.size(), 2u);
  EXPECT_EQ(l.overrides[0].key, "auto-lang");
  EXPECT_EQ(l.overrides[0].value, "true");
  EXPECT_EQ(l.overrides[1].key, "lang");
  EXPECT_EQ(l.overrides[1].value, "\"de-DE\"");
  ASSERT_EQ(l.raw_switches.size(), 2u);
  EXPECT_EQ(l.raw_switches[0].key, "_x");
  EXPECT_EQ(l.raw_switches[1].key, "--b");
}

TEST(PersonaOverlay, GranularStorageAndWebgl) {
  const PersonaOverlay o = parse_persona_overlay(
      R"({"granular-storage-reset":{"cookies":true,"all":false},"webgl-profile":"nv\/1"})");
  EXPECT_EQ(o.granular_storage_reset, (std::map<std::string, bool>{{"all", false}, {"cookies", true}}));
  EXPECT_EQ(o.webgl_profile, "nv/1");
}

}  // namespace
}  // namespace vantrel
