#include "overlay/overlay_model.h"

#include "base/json_extract.h"

namespace vantrel {

bool scalar_is_true(const std::string& scalar) { return scalar == "true" || scalar == "1"; }

PersonaOverlay parse_persona_overlay(const std::string& text) {
  PersonaOverlay o;
  o.proxy_server = extract_string_field(text, "proxy-server");
  if (o.proxy_server.empty()) o.proxy_server = extract_switch_proxy(text);
  o.webrtc_no_leak = scalar_is_true(extract_scalar_field(text, "webrtc-no-leak"));
  o.has_webrtc_fake_public_ip = !extract_string_field(text, "webrtc-fake-public-ip").empty();
  if (extract_string_field(text, "on-proxy-fail") == "fallback") o.on_proxy_fail = OnProxyFail::fallback;
  o.auto_geo = scalar_is_true(extract_scalar_field(text, "auto-geo"));
  o.auto_lang = scalar_is_true(extract_scalar_field(text, "auto-lang"));
  o.auto_timezone = scalar_is_true(extract_scalar_field(text, "auto-timezone"));
  o.has_geo_lat = has_field(text, "geo-lat");
  o.has_geo_lng = has_field(text, "geo-lng");
  o.has_lang = has_field(text, "lang");
  o.has_accept_language = has_field(text, "accept-language");
  o.has_timezone_override = has_field(text, "timezone-override");
  o.close_previous_tabs = scalar_is_true(extract_scalar_field(text, "close-previous-tabs"));
  // The Engine's command line cannot carry a NUL byte (process creation ends
  // the line there): a start page ends at its first one, for the launcher
  // and the check alike.
  const std::string page = extract_string_field(text, "start-page");
  o.start_page = page.substr(0, page.find('\0'));
  // Opening a chosen start page implies a fresh session.
  if (!o.start_page.empty()) o.close_previous_tabs = true;
  o.granular_storage_reset = extract_bool_object(text, "granular-storage-reset");
  o.has_device_memory = has_field(text, "device-memory");
  o.has_hardware_concurrency = has_field(text, "hardware-concurrency");
  o.has_speech_voices = has_field(text, "speech-voices");
  o.webgl_profile = extract_string_field(text, "webgl-profile");
  return o;
}

OverlayListing build_overlay_listing(const std::string& text) {
  OverlayListing listing;
  if (text.empty()) return listing;
  std::string switch_object;
  for_each_member(text, [&](const std::string& key, const std::string& value) {
    if (key.empty() || key[0] == '_') return;
    if (key == "chrome-command-line") {
      if (!value.empty() && value[0] == '{') switch_object = value;
      return;
    }
    if (is_enabled_value(value)) listing.overrides.push_back({key, value});
  });
  if (!switch_object.empty()) {
    for_each_member(switch_object, [&](const std::string& key, const std::string& value) {
      if (!key.empty() && is_enabled_value(value)) listing.raw_switches.push_back({key, value});
    });
  }
  return listing;
}

std::vector<std::string> discovery_needs(const PersonaOverlay& o) {
  std::vector<std::string> needs;
  if (o.webrtc_no_leak && !o.has_webrtc_fake_public_ip) needs.push_back("webrtc-no-leak");
  if (o.auto_geo && !(o.has_geo_lat && o.has_geo_lng)) needs.push_back("auto-geo");
  if (o.auto_lang && !(o.has_lang && o.has_accept_language)) needs.push_back("auto-lang");
  if (o.auto_timezone && !o.has_timezone_override) needs.push_back("auto-timezone");
  return needs;
}

bool needs_discovery(const PersonaOverlay& o) { return !discovery_needs(o).empty(); }

}  // namespace vantrel
