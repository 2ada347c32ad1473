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
// main thread, copied whole for the discovery worker, never changed. Each
// field is filled by its row of overlay_settings().
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

// How the launcher reads a key's value (every key is looked up anywhere in
// the text; the first occurrence that reads counts).
enum class Reading {
  proxy,            // a string; when absent or empty, "--proxy-server" inside "chrome-command-line"
  flag,             // true only for true, "true", 1 and "1"
  choice,           // "fallback" when written exactly so, else "block"
  presence,         // named at all, with any value (even null or "")
  nonempty_string,  // named with a string value that is not empty
  string,           // a string value, escapes decoded
  bool_object,      // an object of true/false members
};

// A value the launcher adds to the Engine's command line itself unless the
// overlay gives it: the ones derived from the proxy's egress, the host's
// figures and the voices preset.
enum class Added {
  none,
  webrtc_public_ip,
  timezone_override,
  lang,
  accept_language,
  geo_lat,
  geo_lng,
  device_memory,
  hardware_concurrency,
  speech_voices,
};

// One row of the settings table: a key, its reading, the field it lands in,
// and what it means for the values the launcher adds.
struct OverlaySetting {
  const char* key;
  Reading reading;
  bool PersonaOverlay::*flag;         // flag, presence and nonempty_string readings; else null
  std::string PersonaOverlay::*text;  // proxy and string readings; else null
  Added gives;                        // a presence key: the overlay gives this value itself
  Added asks[2];                      // a flag: switched on, it asks for these derived values
};

// Every key the launcher reads, one row each, in the order the check lists
// them. "on-proxy-fail" (choice) lands in `on_proxy_fail`,
// "granular-storage-reset" (bool_object) in `granular_storage_reset`.
const std::vector<OverlaySetting>& overlay_settings();

// Whether the launcher adds `value` itself: the overlay does not give it, and
// (for a derived value) a flag the overlay switches on asks for it. Values no
// flag asks for (host figures, voices preset) are added unless given.
bool launcher_adds(const PersonaOverlay& overlay, Added value);

// Whether `value` is derived from the proxy's egress: a flag can ask for it
// (the WebRTC address, the time zone, the language and the position; not the
// host's figures or the voices preset).
bool derived_from_egress(Added value);

// One member as written in the file: key between its quotes, raw value.
struct OverlayEntry {
  std::string key;
  std::string value;
};

// The most rows of one listing that a window can show: it is at most 80 % of
// the screen high, 16 pixels a row.
inline constexpr std::size_t LISTED_ROWS_KEPT = 1000;

struct OverlayListing {
  std::vector<OverlayEntry> overrides;     // listed top-level members, the first LISTED_ROWS_KEPT by key
  std::vector<OverlayEntry> raw_switches;  // listed "chrome-command-line" members, the same
  std::size_t override_count = 0;          // how many members each listing has in all
  std::size_t raw_switch_count = 0;
  // With build_overlay_listing's `unknown`: every top-level member the
  // launcher does not read, in file order (not "_" names, not
  // "chrome-command-line", not a key of overlay_settings()).
  std::vector<std::string> unknown_keys;
};

// The object of raw Engine switches: listed, and its "--proxy-server" read
// when "proxy-server" names none; never put on the Engine's command line.
inline constexpr const char* RAW_SWITCHES_KEY = "chrome-command-line";

// Whether a top-level member is the launcher's business at all: a key of
// overlay_settings() or RAW_SWITCHES_KEY. Members whose names begin with "_"
// are free for comments.
bool launcher_reads_key(const std::string& key);

// What one setting reads as, in a form both people and programs are shown.
struct SettingValue {
  enum class Kind { text, flag, named, categories };
  Kind kind = Kind::text;
  std::string text;                        // text: the string read (UTF-8), empty for none
  bool on = false;                         // flag: its value; named: whether the key counts as given
  std::map<std::string, bool> categories;  // categories: the object's true/false members
};

// Part of "granular-storage-reset" that the launcher does not act on, as
// written, and why.
struct NotRead {
  std::string written;
  std::string why;
};

// How the launcher read one setting of the table: the value it gives, where
// in the file it was read, and why it reads as it does.
struct SettingRead {
  const OverlaySetting* setting = nullptr;  // its row
  SettingValue value;
  // The key's opening quote at the occurrence read (for the proxy, possibly
  // "--proxy-server" inside "chrome-command-line"); when no occurrence reads,
  // the first one named; npos when the key is not named.
  std::size_t at = std::string::npos;
  std::string written;  // the member at `at` as written ("key": raw value), or empty
  std::string raw;      // its raw value (a string with its quotes), or empty
  std::size_t named = 0;  // how many times the key is named
  bool nested = false;    // `at` stands inside another object
  std::string string_read;  // proxy, string, nonempty_string and choice readings: the string read, decoded
  std::vector<std::string> notes;  // why it reads so, for a person
  // The reader's findings as it reads: a presence key named with null or ""
  // (it counts all the same); a string read that keeps a \uXXXX escape as
  // written; every part of a bool_object's object it passes over.
  bool without_value = false;
  bool escape_kept = false;
  std::vector<NotRead> not_read;
};

struct OverlayReading {
  PersonaOverlay values;
  std::vector<SettingRead> settings;  // one per row of overlay_settings(), in its order
};

// Reads the settings from the overlay text, row by row of
// overlay_settings(); absent or malformed values give the defaults above.
// The launcher uses the values; vantrel-check shows how each was read. With
// `record` false the settings' records are left out (the values are the
// same): finding every place a key is named costs a scan of the text per key.
OverlayReading read_overlay(const std::string& text, bool record = true);
inline PersonaOverlay parse_persona_overlay(const std::string& text) { return read_overlay(text, false).values; }

// Whether discovery can ask through this proxy: it begins with "socks5://"
// (byte-wise, case-sensitive).
bool is_socks5_proxy(const std::string& proxy_server);

// The proxy's scheme, what stands before "://"; empty when there is none.
std::string proxy_scheme(const std::string& proxy_server);

// The listing of the file's members for display: top-level members (without
// "chrome-command-line" and names starting with '_') and the members of the
// last top-level "chrome-command-line" object, each listed when
// is_enabled_value holds for its raw value. Of each listing only the first
// LISTED_ROWS_KEPT members by key (byte-wise, equal keys in file order) are
// kept, with the true count beside them: an overlay of millions of members
// costs no more than a window can show. Built only for a window.
// With `unknown` (the check) the same pass also collects unknown_keys.
OverlayListing build_overlay_listing(const std::string& text, bool unknown = false);

// A setting reads true only for exactly "true" or "1".
bool scalar_is_true(const std::string& scalar);

// The flags switched on that ask for a value only egress discovery can
// supply, which the overlay does not give itself, in table order
// ("webrtc-no-leak", "auto-geo", "auto-lang", "auto-timezone").
std::vector<std::string> discovery_needs(const PersonaOverlay& overlay);

// The overlay asks for a value that only egress discovery can supply.
bool needs_discovery(const PersonaOverlay& overlay);

}  // namespace vantrel
