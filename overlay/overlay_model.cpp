#include "overlay/overlay_model.h"

#include <algorithm>

#include "base/json_extract.h"
#include "base/shown_text.h"

namespace vantrel {

bool scalar_is_true(const std::string& scalar) { return scalar == "true" || scalar == "1"; }

const std::vector<OverlaySetting>& overlay_settings() {
  using O = PersonaOverlay;
  using R = Reading;
  constexpr Added no = Added::none;
  static const std::vector<OverlaySetting> table = {
      {"proxy-server", R::proxy, nullptr, &O::proxy_server, no, {no, no}},
      {"webrtc-no-leak", R::flag, &O::webrtc_no_leak, nullptr, no, {Added::webrtc_public_ip, no}},
      {"webrtc-fake-public-ip", R::nonempty_string, &O::has_webrtc_fake_public_ip, nullptr, Added::webrtc_public_ip,
       {no, no}},
      {"on-proxy-fail", R::choice, nullptr, nullptr, no, {no, no}},
      {"auto-geo", R::flag, &O::auto_geo, nullptr, no, {Added::geo_lat, Added::geo_lng}},
      {"auto-lang", R::flag, &O::auto_lang, nullptr, no, {Added::lang, Added::accept_language}},
      {"auto-timezone", R::flag, &O::auto_timezone, nullptr, no, {Added::timezone_override, no}},
      {"geo-lat", R::presence, &O::has_geo_lat, nullptr, Added::geo_lat, {no, no}},
      {"geo-lng", R::presence, &O::has_geo_lng, nullptr, Added::geo_lng, {no, no}},
      {"lang", R::presence, &O::has_lang, nullptr, Added::lang, {no, no}},
      {"accept-language", R::presence, &O::has_accept_language, nullptr, Added::accept_language, {no, no}},
      {"timezone-override", R::presence, &O::has_timezone_override, nullptr, Added::timezone_override, {no, no}},
      {"close-previous-tabs", R::flag, &O::close_previous_tabs, nullptr, no, {no, no}},
      {"start-page", R::string, nullptr, &O::start_page, no, {no, no}},
      {"granular-storage-reset", R::bool_object, nullptr, nullptr, no, {no, no}},
      {"device-memory", R::presence, &O::has_device_memory, nullptr, Added::device_memory, {no, no}},
      {"hardware-concurrency", R::presence, &O::has_hardware_concurrency, nullptr, Added::hardware_concurrency,
       {no, no}},
      {"speech-voices", R::presence, &O::has_speech_voices, nullptr, Added::speech_voices, {no, no}},
      {"webgl-profile", R::string, nullptr, &O::webgl_profile, no, {no, no}},
  };
  return table;
}

bool derived_from_egress(Added value) {
  for (const OverlaySetting& s : overlay_settings()) {
    if (value != Added::none && (s.asks[0] == value || s.asks[1] == value)) return true;
  }
  return false;
}

bool launcher_adds(const PersonaOverlay& o, Added value) {
  if (value == Added::none) return false;
  bool asked = false;  // a flag that is switched on asks for the value
  for (const OverlaySetting& s : overlay_settings()) {
    if (s.gives == value && o.*s.flag) return false;
    asked = asked || ((s.asks[0] == value || s.asks[1] == value) && o.*s.flag);
  }
  return asked || !derived_from_egress(value);
}

bool launcher_reads_key(const std::string& key) {
  if (key == RAW_SWITCHES_KEY) return true;
  for (const OverlaySetting& s : overlay_settings()) {
    if (key == s.key) return true;
  }
  return false;
}

namespace {

constexpr std::size_t npos = std::string::npos;

bool hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool holds_unicode_escape(const std::string& s) {
  for (std::size_t i = 0; i + 6 <= s.size(); ++i) {
    if (s[i] == '\\' && s[i + 1] == 'u' && hex(s[i + 2]) && hex(s[i + 3]) && hex(s[i + 4]) && hex(s[i + 5])) {
      return true;
    }
  }
  return false;
}

// What the object's reader passed over in `stretch` (see
// extract_bool_object), member by member, and why.
void add_not_read(const std::string& stretch, std::vector<NotRead>& out) {
  if (stretch[0] == '}') {
    out.push_back({stretch, "after a nested object's \"}\" the launcher reads no more of the object"});
    return;
  }
  const std::size_t before = out.size();
  for_each_member("{" + stretch + "}", [&out](const std::string& name, const std::string& raw) {
    const std::string written = quoted(name) + ": " + raw;
    if (raw == "true" || raw == "false") {
      out.push_back({written, quoted(name) + " is not read: a category name is letters, digits and \"_\" only"});
    } else {
      out.push_back({written, quoted(name) + " is set to " + raw + ", not true or false: the launcher ignores it"});
    }
  });
  if (out.size() == before) out.push_back({stretch, "not a member the launcher can read"});
}

// Reads one row's key from the text into its field, and says where and why.
SettingRead read_setting(const OverlaySetting& s, const std::string& text, PersonaOverlay& o, bool record) {
  SettingRead r;
  r.setting = &s;
  std::size_t& at = r.at;
  // Every place the key is named: a scan of the whole text, only for the record.
  const std::vector<std::size_t> named = record ? key_positions(text, s.key) : std::vector<std::size_t>();
  r.named = named.size();
  SettingValue& v = r.value;
  switch (s.reading) {
    case Reading::proxy:
      o.*s.text = extract_string_field(text, s.key, &at);
      if ((o.*s.text).empty()) {
        std::size_t switch_at = npos;
        o.*s.text = extract_switch_proxy(text, RAW_SWITCHES_KEY, &switch_at);
        if (at == npos && !(o.*s.text).empty()) {
          at = switch_at;
          r.notes.push_back("taken from \"--proxy-server\" inside \"chrome-command-line\"");
        }
      }
      v.text = r.string_read = o.*s.text;
      return r;
    case Reading::flag: {
      const std::string raw = extract_scalar_field(text, s.key, &at);
      v.kind = SettingValue::Kind::flag;
      v.on = o.*s.flag = scalar_is_true(raw);
      if (!v.on && at != npos && raw != "false" && raw != "0" && raw != "null") {
        r.notes.push_back(quoted(raw) + " reads false: only true, \"true\", 1 and \"1\" switch it on");
      }
      return r;
    }
    case Reading::string:
      v.text = r.string_read = o.*s.text = extract_string_field(text, s.key, &at);
      if (at == npos && !named.empty()) r.notes.push_back("named, but not with a string value: not set");
      return r;
    case Reading::choice:
      r.string_read = extract_string_field(text, s.key, &at);
      if (r.string_read == "fallback") o.on_proxy_fail = OnProxyFail::fallback;
      v.text = o.on_proxy_fail == OnProxyFail::block ? "block" : "fallback";
      if (!named.empty() && r.string_read != "block" && r.string_read != "fallback") {
        r.notes.push_back("neither \"block\" nor \"fallback\" (exactly): reads \"block\"");
      }
      break;
    case Reading::presence:
      v.kind = SettingValue::Kind::named;
      v.on = o.*s.flag = has_field(text, s.key);
      break;
    case Reading::nonempty_string:
      r.string_read = extract_string_field(text, s.key, &at);
      v.kind = SettingValue::Kind::named;
      v.on = o.*s.flag = !r.string_read.empty();
      if (!v.on && !named.empty()) r.notes.push_back("named, but not as a non-empty string: does not count");
      break;
    case Reading::bool_object: {
      v.kind = SettingValue::Kind::categories;
      std::vector<std::string> passed_over;
      v.categories = o.granular_storage_reset = extract_bool_object(text, s.key, &at, record ? &passed_over : nullptr);
      for (const std::string& stretch : passed_over) add_not_read(stretch, r.not_read);
      break;
    }
  }
  // A key whose value does not read is shown where it is first named.
  if (at == npos && !named.empty()) at = named.front();
  return r;
}

// The member read, as written, and the notes on where it stands.
void place_setting(const std::string& text, SettingRead& r) {
  r.escape_kept = holds_unicode_escape(r.string_read);
  if (r.at != npos) {
    r.written = text.substr(r.at, 72);
    std::string key;
    if (read_member_at(text, r.at, key, r.raw)) r.written = quoted(key) + ": " + r.raw;
    if (r.setting->reading == Reading::presence) {
      bool is_string = false;
      const std::string value = raw_value_text(r.raw, &is_string);
      r.without_value = value == "null" || (is_string && value.empty());
    }
    r.nested = nesting_depth(text, r.at) > 1;
    if (r.nested) r.notes.push_back("found inside another object: it counts all the same");
  }
  if (r.named > 1) {
    r.notes.push_back("named " + std::to_string(r.named) +
                      " times: the first that the launcher can read counts, the others do not");
  }
}

}  // namespace

OverlayReading read_overlay(const std::string& text, bool record) {
  OverlayReading reading;
  PersonaOverlay& o = reading.values;
  for (const OverlaySetting& s : overlay_settings()) reading.settings.push_back(read_setting(s, text, o, record));
  SettingRead* start_page = nullptr;
  SettingRead* close_tabs = nullptr;
  for (SettingRead& r : reading.settings) {
    if (r.setting->flag == &PersonaOverlay::close_previous_tabs) close_tabs = &r;
    if (r.setting->text == &PersonaOverlay::start_page) start_page = &r;
  }
  // The Engine's command line cannot carry a NUL byte (process creation ends
  // the line there): a start page ends at its first one, for the launcher
  // and the check alike.
  o.start_page.resize(std::min(o.start_page.size(), o.start_page.find('\0')));
  start_page->value.text = start_page->string_read = o.start_page;
  // Opening a chosen start page implies a fresh session.
  if (!o.start_page.empty() && !o.close_previous_tabs) {
    o.close_previous_tabs = close_tabs->value.on = true;
    close_tabs->notes = {"true because \"start-page\" is set"};
  }
  if (!record) reading.settings.clear();
  for (SettingRead& r : reading.settings) place_setting(text, r);
  return reading;
}

bool is_socks5_proxy(const std::string& proxy_server) { return proxy_server.compare(0, 9, "socks5://") == 0; }

std::string proxy_scheme(const std::string& proxy_server) {
  const std::size_t end = proxy_server.find("://");
  return end == npos ? std::string() : proxy_server.substr(0, end);
}

namespace {

// The first LISTED_ROWS_KEPT entries in (key, file order) order, kept as a
// heap whose top is the last of them; and how many were offered.
class FirstByKey {
 public:
  void offer(const std::string& key, const std::string& value) {
    ++count_;
    const auto before = [](const Kept& a, const Kept& b) {
      return a.entry.key < b.entry.key || (a.entry.key == b.entry.key && a.order < b.order);
    };
    if (kept_.size() == LISTED_ROWS_KEPT) {
      if (!(key < kept_.front().entry.key)) return;
      std::pop_heap(kept_.begin(), kept_.end(), before);
      kept_.pop_back();
    }
    kept_.push_back({{key, value}, count_});
    std::push_heap(kept_.begin(), kept_.end(), before);
  }
  // The kept entries in file order (the listing sorts them by key).
  std::vector<OverlayEntry> entries() {
    std::sort(kept_.begin(), kept_.end(), [](const Kept& a, const Kept& b) { return a.order < b.order; });
    std::vector<OverlayEntry> out;
    for (Kept& k : kept_) out.push_back(std::move(k.entry));
    return out;
  }
  std::size_t count() const { return count_; }

 private:
  struct Kept {
    OverlayEntry entry;
    std::size_t order;
  };
  std::vector<Kept> kept_;
  std::size_t count_ = 0;
};

}  // namespace

OverlayListing build_overlay_listing(const std::string& text, bool unknown) {
  OverlayListing listing;
  if (text.empty()) return listing;
  std::string switch_object;
  FirstByKey overrides;
  for_each_member(text, [&](const std::string& key, const std::string& value) {
    if (key.empty() || key[0] == '_') return;
    if (unknown && !launcher_reads_key(key)) listing.unknown_keys.push_back(key);
    if (key == RAW_SWITCHES_KEY) {
      if (!value.empty() && value[0] == '{') switch_object = value;
      return;
    }
    if (is_enabled_value(value)) overrides.offer(key, value);
  });
  FirstByKey switches;
  if (!switch_object.empty()) {
    for_each_member(switch_object, [&](const std::string& key, const std::string& value) {
      if (!key.empty() && is_enabled_value(value)) switches.offer(key, value);
    });
  }
  listing.overrides = overrides.entries();
  listing.override_count = overrides.count();
  listing.raw_switches = switches.entries();
  listing.raw_switch_count = switches.count();
  return listing;
}

std::vector<std::string> discovery_needs(const PersonaOverlay& o) {
  std::vector<std::string> needs;
  for (const OverlaySetting& s : overlay_settings()) {
    if (s.asks[0] == Added::none || !(o.*s.flag)) continue;
    if (launcher_adds(o, s.asks[0]) || (s.asks[1] != Added::none && launcher_adds(o, s.asks[1]))) {
      needs.push_back(s.key);
    }
  }
  return needs;
}

bool needs_discovery(const PersonaOverlay& o) { return !discovery_needs(o).empty(); }

}  // namespace vantrel
