#include "check/report_json.h"

#include <cmath>

#include "base/json_text.h"
#include "base/text_encoding.h"
#include "check/check_report.h"
#include "ui/listing.h"
#include "vantrel/build_config.h"

namespace vantrel {

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }
std::string json_string(const std::string& s) { return quoted(json_escape(s)); }
std::string flag_json(bool b) { return b ? "true" : "false"; }

std::string json_path_list(const std::vector<std::wstring>& paths) {
  std::string out = "[";
  for (const std::wstring& p : paths) out += (out.size() > 1 ? "," : "") + json_string(wide_to_utf8(p));
  return out + "]";
}

}  // namespace

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
  j += ",\"problems\":[";
  first = true;
  for (const Problem& p : check_problems(in)) {
    j += std::string(first ? "" : ",") + "{\"code\":" + json_string(p.code) + ",\"severity\":" +
         json_string(p.severity) + ",\"setting\":" + (p.setting.empty() ? "null" : json_string(p.setting)) +
         ",\"message\":" + json_string(hide_url_passwords(p.message)) + "}";
    first = false;
  }
  j += "]";
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
  j += ",\"consistency\":[";
  first = true;
  for (const Comparison& c : egress_comparisons(in)) {
    j += std::string(first ? "" : ",") + "{\"setting\":" + json_string(c.setting) +
         ",\"overlay_value\":" + json_string(c.overlay_value) + ",\"egress_value\":" + json_string(c.egress_value) +
         ",\"verdict\":" + json_string(verdict_text(c.verdict)) + ",\"message\":" + json_string(c.message);
    if (c.distance_km >= 0) j += ",\"distance_km\":" + std::to_string(std::lround(c.distance_km));
    j += "}";
    first = false;
  }
  return j + "]}\n";
}

}  // namespace vantrel
