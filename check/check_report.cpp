#include "check/check_report.h"

#include <algorithm>

#include "base/json_extract.h"
#include "base/json_text.h"
#include "check/check_command_line.h"
#include "discovery/worker.h"
#include "overlay/overlay_file.h"
#include "ui/listing.h"

namespace vantrel {

namespace {

constexpr std::size_t npos = std::string::npos;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }
std::string json_string(const std::string& s) { return quoted(json_escape(s)); }

// How deep `pos` stands: 1 for a member of the outermost object.
int nesting_depth(const std::string& text, std::size_t pos) {
  int depth = 0;
  for (std::size_t i = 0; i < pos && i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const std::size_t end = find_string_end(text, i + 1);
      if (end == npos || end >= pos) break;
      i = end;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      --depth;
    }
  }
  return depth;
}

// The member as written at `pos` (the key's opening quote), read with the
// listing's member walk, on one line, cut, with passwords hidden.
std::string snippet(const std::string& text, std::size_t pos) {
  std::string member = text.substr(pos, 72);
  std::string key;
  std::string raw;
  if (raw_member_at(text, pos, key, raw)) member = "\"" + key + "\": " + raw;
  if (member.size() > 72) member = member.substr(0, 71) + "\xE2\x80\xA6";
  return blank_out_controls(hide_url_passwords(member));
}

std::string flag_json(bool b) { return b ? "true" : "false"; }

Setting read_setting(const OverlaySetting& k, const std::string& text, const PersonaOverlay& o) {
  Setting s;
  s.key = k.key;
  const std::vector<std::size_t> positions = key_positions(text, k.key);
  std::size_t at = npos;
  switch (k.reading) {
    case Reading::proxy: {
      const std::string value = hide_url_passwords(o.*k.text);
      s.value_json = json_string(value);
      s.value_text = value.empty() ? "(none)" : value;
      extract_string_field(text, k.key, &at);
      if (at == npos && !(o.*k.text).empty()) {
        extract_switch_proxy(text, &at);
        s.notes.push_back("taken from \"--proxy-server\" inside \"chrome-command-line\"");
      }
      break;
    }
    case Reading::string: {
      extract_string_field(text, k.key, &at);
      const std::string& value = o.*k.text;
      s.value_json = json_string(value);
      s.value_text = value.empty() ? "(none)" : value;
      if (at == npos && !positions.empty()) s.notes.push_back("named, but not with a string value: not set");
      break;
    }
    case Reading::flag: {
      const std::string raw = extract_scalar_field(text, k.key, &at);
      // The launcher's own reading (a start page also closes the previous tabs).
      const bool value = o.*k.flag;
      s.value_json = flag_json(value);
      s.value_text = value ? "true" : "false";
      if (!value && at != npos && raw != "false" && raw != "0" && raw != "null") {
        s.notes.push_back(quoted(raw) + " reads false: only true, \"true\", 1 and \"1\" switch it on");
      }
      if (value && !scalar_is_true(raw)) s.notes.push_back("true because \"start-page\" is set");
      break;
    }
    case Reading::presence:
    case Reading::nonempty_string: {
      const bool value = o.*k.flag;
      if (k.reading == Reading::nonempty_string) {
        extract_string_field(text, k.key, &at);
        if (!value && !positions.empty()) s.notes.push_back("named, but not as a non-empty string: does not count");
      }
      if (at == npos && !positions.empty()) at = positions.front();
      s.value_json = flag_json(value);
      s.value_text = value ? "named (the launcher adds no value of its own)" : "not named";
      break;
    }
    case Reading::choice: {
      const std::string raw = extract_string_field(text, k.key, &at);
      const char* value = o.on_proxy_fail == OnProxyFail::block ? "block" : "fallback";
      s.value_json = quoted(value);
      s.value_text = value;
      if (at == npos && !positions.empty()) at = positions.front();
      if (at != npos && raw != "block" && raw != "fallback") {
        s.notes.push_back("neither \"block\" nor \"fallback\" (exactly): reads \"block\"");
      }
      break;
    }
    case Reading::bool_object: {
      const std::map<std::string, bool>& map = o.granular_storage_reset;
      extract_bool_object(text, k.key, &at);
      if (at == npos && !positions.empty()) at = positions.front();
      std::vector<std::string> known = storage_category_names();
      known.push_back("all");
      s.value_json = "{";
      for (const auto& [name, on] : map) {
        if (s.value_json.size() > 1) s.value_json += ",";
        s.value_json += json_string(name) + ":" + flag_json(on);
        if (!s.value_text.empty()) s.value_text += ", ";
        s.value_text += name + (on ? " true" : " false");
        if (std::find(known.begin(), known.end(), name) == known.end()) {
          const std::string near = nearest(name, known);
          s.notes.push_back(quoted(name) + " selects nothing: category names are exact and case-sensitive" +
                            (near.empty() ? std::string() : " (did you mean " + quoted(near) + "?)"));
        } else if (name == "all" && on && map.size() > 1) {
          s.notes.push_back("\"all\" selects every category, also those set to false");
        }
      }
      s.value_json += "}";
      if (s.value_text.empty()) s.value_text = "(nothing)";
      break;
    }
  }
  if (at != npos) {
    s.found = snippet(text, at);
    s.nested = nesting_depth(text, at) > 1;
    if (s.nested) s.notes.push_back("found inside another object: it counts all the same");
  }
  if (positions.size() > 1) {
    s.notes.push_back("named " + std::to_string(positions.size()) +
                      " times: the first that the launcher can read counts, the others do not");
  }
  return s;
}

}  // namespace

std::vector<Setting> read_settings(const LaunchPlan& plan) {
  std::vector<Setting> settings;
  for (const OverlaySetting& k : overlay_settings()) {
    settings.push_back(read_setting(k, plan.overlay_text, plan.overlay));
  }
  return settings;
}

std::string start_reason(const PersonaOverlay& o, StartPath path) {
  const std::vector<std::string> needs = discovery_needs(o);
  std::string list;
  for (const std::string& n : needs) list += (list.empty() ? "" : ", ") + quoted(n);
  if (needs.empty()) return "no setting asks for a value only the proxy's egress can give";
  const std::size_t scheme_end = o.proxy_server.find("://");
  const std::string scheme = scheme_end == npos ? std::string() : o.proxy_server.substr(0, scheme_end);
  const std::string verb = needs.size() == 1 ? " needs" : " need";
  if (path == StartPath::discovery) return list + verb + " the proxy's egress, and the proxy is socks5://";
  if (o.proxy_server.empty()) return list + " would need the proxy's egress, but no proxy is named";
  return list + " would need the proxy's egress, but the proxy's scheme is " +
         (scheme.empty() ? std::string("missing") : quoted(scheme)) + ", not socks5://";
}

std::vector<std::wstring> looked_at(const LaunchPlan& plan) {
  std::vector<std::wstring> paths;
  if (!plan.user_data_dir.empty()) paths.push_back(plan.user_data_dir + L"\\command-line.json");
  const std::wstring local = local_overlay_path();
  if (!local.empty()) paths.push_back(local);
  return paths;
}

namespace {

// What discovery would derive, marked as such.
void mark_outcome(const PersonaOverlay& o, DiscoveryOutcome& outcome) {
  ProbeResult r;
  r.ip = "<egress-ip>";
  r.country_code = "<egress-country>";
  r.timezone = "<egress-time-zone>";
  r.geo_lat = "<egress-latitude>";
  r.geo_lng = "<egress-longitude>";
  derive_overrides(o, r, outcome);
  if (!outcome.lang.empty()) outcome.lang = "<egress-language>";
  if (!outcome.accept_language.empty()) outcome.accept_language = "<egress-accept-language>";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> unknown_overlay_keys(const std::string& overlay_text) {
  std::vector<std::string> known;
  for (const OverlaySetting& k : overlay_settings()) known.push_back(k.key);
  known.push_back("chrome-command-line");
  std::vector<std::pair<std::string, std::string>> unknown;
  for_each_member(overlay_text, [&](const std::string& key, const std::string&) {
    if (key.empty() || key[0] == '_' || std::find(known.begin(), known.end(), key) != known.end()) return;
    unknown.emplace_back(key, nearest(key, known));
  });
  return unknown;
}

std::wstring checked_engine_command_line(const CheckInputs& in, const DiscoveryOutcome* outcome) {
  const bool discovery = in.plan.path == StartPath::discovery;
  DiscoveryOutcome marked;
  mark_outcome(in.plan.overlay, marked);
  return engine_command_line(in.engine_path, in.pass_through, in.plan,
                             discovery ? SwitchForm::discovery : SwitchForm::passthrough,
                             outcome != nullptr ? *outcome : marked, in.host);
}

std::string probe_not_run_reason(const PersonaOverlay& o) {
  if (o.proxy_server.compare(0, 9, "socks5://") == 0) return std::string();
  if (o.proxy_server.empty()) return "no proxy is named: there is nothing to probe";
  return "the check can probe only a socks5:// proxy, and this one is not";
}

std::vector<Comparison> egress_comparisons(const CheckInputs& in) {
  if (in.probe == nullptr || !in.probe->succeeded()) return {};
  std::vector<Comparison> comparisons = compare_with_egress(in.plan.overlay_text, in.plan.overlay, in.probe->last);
  // Whatever an overlay writes into a value, a password in it is never shown.
  for (Comparison& c : comparisons) {
    c.overlay_value = hide_url_passwords(c.overlay_value);
    c.message = hide_url_passwords(c.message);
  }
  return comparisons;
}

int check_exit_code(const CheckInputs& in, bool strict) {
  if (in.probe != nullptr && in.probe->failed()) return 3;
  for (const Comparison& c : egress_comparisons(in)) {
    if (c.verdict == Verdict::mismatch) return 4;
  }
  return strict && !check_problems(in).empty() ? 5 : 0;
}

}  // namespace vantrel
