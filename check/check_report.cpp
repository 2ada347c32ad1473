#include "check/check_report.h"

#include <algorithm>
#include <functional>

#include "base/json_extract.h"
#include "base/json_text.h"
#include "base/text_encoding.h"
#include "discovery/worker.h"
#include "launcher/engine_command_line.h"
#include "vantrel/build_config.h"
#include "overlay/overlay_file.h"
#include "ui/listing.h"

namespace vantrel {

namespace {

constexpr std::size_t npos = std::string::npos;

// ---- command line ---------------------------------------------------------

bool starts_option(const std::wstring& text, const std::wstring& option) {
  return text.compare(0, option.size(), option) == 0 &&
         (text.size() == option.size() || text[option.size()] <= L' ' || text[option.size()] == L'=');
}

// ---- reading the settings -------------------------------------------------

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
  bool first = true;
  for_each_member("{" + text.substr(pos, 65536), [&](const std::string& key, const std::string& raw) {
    if (first) member = "\"" + key + "\": " + raw;
    first = false;
  });
  if (member.size() > 72) member = member.substr(0, 71) + "\xE2\x80\xA6";
  return blank_out_controls(hide_url_passwords(member));
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearest(const std::string& name, const std::vector<std::string>& candidates) {
  std::string best;
  std::size_t best_distance = 3;  // at most two edits away counts as a typo
  for (const std::string& c : candidates) {
    const std::size_t d = edit_distance(name, c);
    if (d < best_distance) {
      best = c;
      best_distance = d;
    }
  }
  return best;
}

// One setting as the launcher reads it, with where it came from.
struct Setting {
  std::string key;
  std::string value_json;  // the value as JSON
  std::string value_text;  // the value for a person
  std::string found;       // the member as written, or empty when absent
  bool nested = false;
  std::vector<std::string> notes;
};

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

std::string json_path_list(const std::vector<std::wstring>& paths) {
  std::string out = "[";
  for (const std::wstring& p : paths) out += (out.size() > 1 ? "," : "") + json_string(wide_to_utf8(p));
  return out + "]";
}

}  // namespace

std::wstring command_line_remainder(const std::wstring& command_line) {
  std::size_t i = 0;
  bool in_quotes = false;
  while (i < command_line.size() && (command_line[i] > L' ' || in_quotes)) {
    if (command_line[i] == L'"') in_quotes = !in_quotes;
    ++i;
  }
  while (i < command_line.size() && command_line[i] <= L' ') ++i;
  return command_line.substr(i);
}

CheckCommandLine parse_check_command_line(const std::wstring& command_line, const std::vector<std::wstring>& argv) {
  CheckCommandLine c;
  std::wstring rest = command_line_remainder(command_line);
  std::size_t own = 0;
  for (;;) {
    bool* flag = starts_option(rest, L"--json") ? &c.json : starts_option(rest, L"--probe") ? &c.probe : nullptr;
    if (flag == nullptr && (starts_option(rest, L"--help") || starts_option(rest, L"/?"))) flag = &c.help;
    if (flag == nullptr) break;
    std::size_t end = 0;
    while (end < rest.size() && rest[end] > L' ') ++end;
    if (rest.find(L'=') < end) {
      c.usage_error = "vantrel-check: " + wide_to_utf8(rest.substr(0, end)) + ": its options take no value";
    }
    *flag = true;
    while (end < rest.size() && rest[end] <= L' ') ++end;
    rest = rest.substr(end);
    ++own;
  }
  c.pass_through = rest;
  if (argv.size() > own + 1) c.args.assign(argv.begin() + static_cast<std::ptrdiff_t>(own + 1), argv.end());
  for (const std::wstring& a : c.args) {
    if (a == L"--json" || a == L"--probe") {
      c.usage_error = "vantrel-check: " + wide_to_utf8(a) + " must come before the launcher's arguments";
    }
  }
  return c;
}

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

std::string check_report_json(const CheckInputs& in) {
  const LaunchPlan& plan = in.plan;
  std::string j = "{\"check_version\":\"" VANTREL_VERSION_TEXT "\",\"overlay_path\":";
  j += plan.overlay_read ? json_string(wide_to_utf8(plan.overlay_path)) : "null";
  j += ",\"overlay_looked_at\":" + json_path_list(looked_at(plan));
  // The file that exists but could not be read, and why (the launcher then keeps every default).
  j += ",\"overlay_unreadable\":";
  j += plan.overlay_unreadable.empty() ? "null" : "{\"path\":" + json_string(wide_to_utf8(plan.overlay_path)) +
                                                     ",\"why\":" + json_string(plan.overlay_unreadable) + "}";
  j += ",\"user_data_dir\":" + json_string(wide_to_utf8(plan.user_data_dir));
  j += ",\"settings\":{";
  bool first = true;
  for (const Setting& s : read_settings(plan)) {
    j += (first ? "" : ",") + json_string(s.key) + ":{\"value\":" + s.value_json;
    j += ",\"found\":" + (s.found.empty() ? std::string("null") : json_string(s.found));
    j += ",\"nested\":" + flag_json(s.nested) + ",\"notes\":[";
    for (std::size_t i = 0; i < s.notes.size(); ++i) j += (i ? "," : "") + json_string(s.notes[i]);
    j += "]}";
    first = false;
  }
  j += "},\"unknown_keys\":[";
  first = true;
  for (const auto& [key, near] : unknown_overlay_keys(plan.overlay_text)) {
    j += (first ? "" : ",") + std::string("{\"key\":") + json_string(key) +
         ",\"nearest\":" + (near.empty() ? std::string("null") : json_string(near)) + "}";
    first = false;
  }
  const bool discovery = plan.path == StartPath::discovery;
  j += "],\"start\":" + quoted(discovery ? "discovery" : "passthrough");
  j += ",\"start_reason\":" + json_string(start_reason(plan.overlay, plan.path));
  j += ",\"blocks_on_failed_discovery\":" + flag_json(plan.overlay.on_proxy_fail == OnProxyFail::block);
  j += ",\"engine_path\":" + json_string(wide_to_utf8(in.engine_path));
  j += ",\"engine_found\":" + flag_json(in.engine_found);
  j += ",\"engine_command_line\":" + json_string(wide_to_utf8(checked_engine_command_line(in)));
  j += std::string(",\"profile_in_use\":") + (plan.profile_in_use ? "true" : "false");
  j += ",\"would_delete\":" + json_path_list(in.preview.removed);
  j += ",\"links_kept\":" + json_path_list(in.preview.kept_links);
  if (in.probe != nullptr) {
    const ProbeReport& p = *in.probe;
    j += ",\"probe\":{\"ran\":" + flag_json(p.ran);
    if (!p.ran) {
      j += ",\"reason\":" + json_string(p.not_run_reason);
    } else {
      const DiscoveryOutcome& o = *p.outcome;
      j += ",\"ok\":" + flag_json(!p.failed()) + ",\"egress_ip\":" + json_string(o.ip) +
           ",\"country_code\":" + json_string(o.country_code) + ",\"timezone\":" + json_string(o.timezone) +
           ",\"provider\":" + json_string(o.provider) + ",\"elapsed_ms\":" + std::to_string(o.elapsed_ms) +
           ",\"lang\":" + json_string(o.lang) +
           ",\"accept_language\":" + json_string(o.accept_language) +
           ",\"geo_lat\":" + json_string(o.geo_lat) +
           ",\"geo_lng\":" + json_string(o.geo_lng) +
           ",\"url\":" + json_string(p.last_url) + ",\"curl_exit_code\":" +
           (p.last.curl_exit_code < 0 ? std::string("null") : std::to_string(p.last.curl_exit_code)) +
           ",\"error_code\":" + json_string(error_code_text(p.last.error_code)) +
           ",\"message\":" + json_string(hide_url_passwords(p.last.message));
      if (!p.failed()) {
        j += ",\"engine_command_line\":" + json_string(wide_to_utf8(checked_engine_command_line(in, &o)));
      }
    }
    j += "}";
  }
  return j + "}\n";
}

std::string check_report_text(const CheckInputs& in) {
  const LaunchPlan& plan = in.plan;
  std::string t;
  const auto line = [&t](const std::string& s) { t += s + "\n"; };
  if (plan.overlay_read) {
    line("Overlay: " + wide_to_utf8(plan.overlay_path));
  } else if (!plan.overlay_unreadable.empty()) {
    line("Overlay: " + wide_to_utf8(plan.overlay_path) + " exists but could not be read (" + plan.overlay_unreadable +
         "); the launcher keeps every setting's default.");
  } else {
    line("Overlay: none found; every setting keeps its default. Looked at:");
    for (const std::wstring& p : looked_at(plan)) line("  " + wide_to_utf8(p));
  }
  const bool discovery = plan.path == StartPath::discovery;
  line("");
  line(std::string("Start: ") + (discovery ? "with egress discovery" : "passthrough (no discovery)"));
  line("  " + start_reason(plan.overlay, plan.path));
  if (discovery) {
    line(plan.overlay.on_proxy_fail == OnProxyFail::block
             ? "  A failed discovery blocks the start (exit 42): \"on-proxy-fail\" is \"block\""
             : "  A failed discovery starts the Engine without derived values: \"on-proxy-fail\" is \"fallback\"");
  }
  line("");
  line("Settings, as the launcher reads them:");
  for (const Setting& s : read_settings(plan)) {
    line("  " + s.key + ": " + s.value_text);
    if (!s.found.empty()) line("      from " + s.found);
    for (const std::string& n : s.notes) line("      note: " + n);
  }
  const auto unknown = unknown_overlay_keys(plan.overlay_text);
  if (!unknown.empty()) {
    line("");
    line("Not read by the launcher:");
    for (const auto& [key, near] : unknown) line("  " + key + (near.empty() ? "" : " (did you mean " + near + "?)"));
  }
  line("");
  if (!in.engine_found) {
    line("Engine: missing (" + wide_to_utf8(in.engine_path) + "): vantrel.exe would stop with exit 1");
  }
  line(std::string("Engine command line") + (discovery ? " (<egress-...> marks values discovery derives):" : ":"));
  line("  " + wide_to_utf8(checked_engine_command_line(in)));
  line("");
  if (plan.profile_in_use) {
    line("Profile hygiene would delete nothing: the profile is in use (a running Engine holds its lockfile).");
  } else if (in.preview.removed.empty()) {
    line("Profile hygiene would delete nothing.");
  } else {
    line("Profile hygiene would delete:");
    for (const std::wstring& p : in.preview.removed) line("  " + wide_to_utf8(p));
  }
  for (const std::wstring& p : in.preview.kept_links) line("  kept, a link: " + wide_to_utf8(p));
  if (in.probe != nullptr) {
    const ProbeReport& p = *in.probe;
    line("");
    if (!p.ran) {
      line("Probe: not run: " + p.not_run_reason);
    } else if (p.failed()) {
      line(std::string("Probe: failed, ") + error_code_text(p.last.error_code));
      line("  " + hide_url_passwords(p.last.message));
    } else {
      const DiscoveryOutcome& o = *p.outcome;
      line("Probe: egress " + o.ip + " (" + o.provider + ", " + std::to_string(o.elapsed_ms) + " ms)");
      line("  country " + (o.country_code.empty() ? "unknown" : o.country_code) + ", time zone " +
           (o.timezone.empty() ? "unknown" : o.timezone));
      line("  Engine command line with these values:");
      line("  " + wide_to_utf8(checked_engine_command_line(in, &o)));
    }
  }
  // Text that came from the overlay may hold anything: keep the output UTF-8.
  return wide_to_utf8(utf8_to_wide(t));
}

}  // namespace vantrel
