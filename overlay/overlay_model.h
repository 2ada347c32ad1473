// The persona overlay (command-line.json): typed settings and the member
// listing shown in the progress window.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantrel {

// What a failed discovery does: stop the start (exit 42) or start without the
// derived values.
enum class OnProxyFail { block, fallback };

// The overlay's settings. Strings are UTF-8. A value record: built once on the
// main thread, copied whole for the discovery worker, never changed.
struct PersonaOverlay {
  std::string proxy_server;
  bool webrtc_no_leak = false;
  bool has_webrtc_fake_public_ip = false;
  OnProxyFail on_proxy_fail = OnProxyFail::block;  // "fallback" only when written exactly so
  bool auto_geo = false;
  bool auto_lang = false;
  bool auto_timezone = false;
  bool has_geo_lat = false;
  bool has_geo_lng = false;
  bool has_lang = false;
  bool has_accept_language = false;
  bool has_timezone_override = false;
  bool close_previous_tabs = false;
  std::string start_page;
  bool has_device_memory = false;
  bool has_hardware_concurrency = false;
  bool has_speech_voices = false;
  std::map<std::string, bool> granular_storage_reset;  // byte-wise ordered
  std::string webgl_profile;
};

// One member as written in the file: key between its quotes, raw value.
struct OverlayEntry {
  std::string key;
  std::string value;
};

struct OverlayListing {
  std::vector<OverlayEntry> overrides;     // listed top-level members
  std::vector<OverlayEntry> raw_switches;  // listed "chrome-command-line" members
};

// Reads the settings from the overlay text. Every key is looked up anywhere in
// the text; absent or malformed values give the defaults above.
PersonaOverlay parse_persona_overlay(const std::string& text);

// The listing of the file's members for display: top-level members (without
// "chrome-command-line" and names starting with '_') and the members of the
// last top-level "chrome-command-line" object, each kept when
// is_enabled_value holds for its raw value.
OverlayListing build_overlay_listing(const std::string& text);

// A setting reads true only for exactly "true" or "1".
bool scalar_is_true(const std::string& scalar);

// The settings that ask for a value only egress discovery can supply, and do
// not give it themselves: "webrtc-no-leak", "auto-geo", "auto-lang",
// "auto-timezone", in that order.
std::vector<std::string> discovery_needs(const PersonaOverlay& overlay);

// The overlay asks for a value that only egress discovery can supply.
bool needs_discovery(const PersonaOverlay& overlay);

}  // namespace vantrel
