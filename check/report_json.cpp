#include "check/report_json.h"

#include <cmath>

#include "base/json_text.h"
#include "base/shown_text.h"
#include "base/text_encoding.h"
#include "check/check_report.h"
#include "check/report_text.h"
#include "vantrel/build_config.h"

namespace vantrel {

namespace {

std::vector<std::string> utf8(const std::vector<std::wstring>& paths) {
  std::vector<std::string> out;
  for (const std::wstring& p : paths) out.push_back(wide_to_utf8(p));
  return out;
}

void write_value(JsonWriter& j, const SettingValue& v) {
  switch (v.kind) {
    case SettingValue::Kind::text: j.string(v.text); return;
    case SettingValue::Kind::flag:
    case SettingValue::Kind::named: j.boolean(v.on); return;
    case SettingValue::Kind::categories:
      j.open_object();
      for (const auto& [name, on] : v.categories) j.key(name).boolean(on);
      j.close();
      return;
  }
}

}  // namespace

std::string check_report_json(const CheckReport& r) {
  const CheckInputs& in = r.in;
  const LaunchPlan& plan = in.plan;
  // Every string value passes through hide_url_passwords; exact() is kept
  // for the Engine's command lines, documented as exact.
  JsonWriter j(true, hide_url_passwords);
  j.open_object().key("check_version").string(VANTREL_VERSION_TEXT);
  j.key("overlay_path");
  plan.overlay_read() ? j.string(wide_to_utf8(plan.overlay_path.shown())) : j.null();
  j.key("overlay_looked_at").strings(utf8(r.looked_at));
  // The file that exists but could not be read, and why (the launcher then keeps every default).
  j.key("overlay_unreadable");
  if (plan.overlay_why.empty()) {
    j.null();
  } else {
    j.open_object().key("path").string(wide_to_utf8(plan.overlay_path.shown())).key("why").string(plan.overlay_why);
    j.close();
  }
  j.key("user_data_dir").string(wide_to_utf8(plan.profile.written));
  j.key("settings").open_object();
  for (const SettingRead& s : r.settings) {
    j.key(s.setting->key).open_object().key("value");
    write_value(j, s.value);
    j.key("found").string_or_null(s.written.empty() ? s.written : member_snippet(s.written));
    j.key("nested").boolean(s.nested).key("notes").strings(s.notes).close();
  }
  j.close().key("unknown_keys").open_array();
  for (const UnknownKey& u : r.unknown_keys) {
    j.open_object().key("key").string(u.key).key("nearest").string_or_null(u.nearest).close();
  }
  j.close();
  const bool discovery = plan.path == StartPath::discovery;
  j.key("start").string(discovery ? "discovery" : "passthrough").key("start_reason").string(r.start_reason);
  j.key("would_outcome").string(r.would_outcome);
  j.key("blocks_on_failed_discovery").boolean(plan.overlay.on_proxy_fail == OnProxyFail::block);
  j.key("engine_path").string(wide_to_utf8(plan.engine_path)).key("engine_found").boolean(plan.engine_found);
  j.key("engine_command_line").exact(wide_to_utf8(r.engine_command_line));
  j.key("profile_in_use").boolean(plan.profile_in_use);
  j.key("would_delete").strings(utf8(in.preview.removed)).key("links_kept").strings(utf8(in.preview.kept_links));
  j.key("problems").open_array();
  for (const Problem& p : r.problems) {
    const ProblemRow& row = problem_row(p.code);
    j.open_object().key("code").string(row.name).key("severity").string(severity_text(row.severity));
    j.key("setting").string_or_null(p.setting).key("message").string(p.message).close();
  }
  j.close();
  if (in.probe) {
    const EgressProbe& p = *in.probe;
    j.key("probe").open_object().key("ran").boolean(p.ran);
    if (!p.ran) {
      j.key("reason").string(p.not_run_reason);
    } else {
      const DiscoveryOutcome& o = *p.outcome;
      j.key("ok").boolean(!p.failed()).key("egress_ip").string(o.ip).key("country_code").string(o.country_code);
      j.key("timezone").string(o.timezone).key("provider").string(o.provider).key("elapsed_ms");
      j.number(static_cast<long long>(o.elapsed_ms));
      j.key("lang").string(o.lang).key("accept_language").string(o.accept_language);
      j.key("geo_lat").string(o.geo_lat).key("geo_lng").string(o.geo_lng).key("url").string(p.last_url);
      j.key("curl_exit_code");
      p.last.curl_exit_code < 0 ? j.null() : j.number(p.last.curl_exit_code);
      j.key("error_code").string(error_code_text(p.last.error_code)).key("message").string(p.message());
      if (!p.failed()) j.key("engine_command_line").exact(wide_to_utf8(r.probed_command_line));
    }
    j.close();
  }
  j.key("consistency").open_array();
  for (const Comparison& c : r.comparisons) {
    j.open_object().key("setting").string(c.setting).key("overlay_value").string(c.overlay_value);
    j.key("egress_value").string(c.egress_value).key("verdict").string(verdict_text(c.verdict));
    j.key("message").string(c.message);
    if (c.distance_km >= 0) j.key("distance_km").number(std::lround(c.distance_km));
    j.close();
  }
  return j.finish();
}

}  // namespace vantrel
