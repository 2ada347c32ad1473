#include "launcher/engine_command_line.h"

#include "base/argument_quote.h"
#include "base/text_encoding.h"
#include "discovery/country_language.h"
#include "discovery/geo_answer.h"

namespace vantrel {

namespace {

// "--name=value", only when there is a value.
void add_switch(std::vector<std::wstring>& parts, const wchar_t* name, const std::wstring& value) {
  if (!value.empty()) parts.push_back(L"--" + std::wstring(name) + L"=" + value);
}

void add_switch(std::vector<std::wstring>& parts, const wchar_t* name, const std::string& utf8_value) {
  add_switch(parts, name, utf8_to_wide(utf8_value));
}

}  // namespace

std::wstring engine_path_for(const std::wstring& launcher_dir) {
  return launcher_dir + L"\\" + ENGINE_FILE_NAME;
}

std::vector<std::wstring> start_page_arguments(const std::string& start_page) {
  if (start_page.empty()) return {L"chrome://version"};
  const auto first = static_cast<unsigned char>(start_page.front());
  const bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  const std::wstring page = quote_windows_argument(utf8_to_wide(start_page));
  if (letter) return {page};
  return {L"--", page};
}

// The WebGL profile's switches stand first on a discovery start and after
// the host figures on a passthrough start, and a start without its window
// carries none. This order is part of what callers and the Engine see, so
// keep it: the Engine takes the last of two equal switches, so on a
// discovery start the launcher's own values win over a profile that names
// the same switch, while on a passthrough start the profile wins over the
// host figures; profile managers also compare these lines byte for byte.
std::vector<std::wstring> engine_switches(const LaunchPlan& plan, SwitchForm form, const DiscoveryOutcome& outcome) {
  const PersonaOverlay& o = plan.overlay;
  const HostFigures& host = plan.host;
  std::vector<std::wstring> parts;
  if (form == SwitchForm::discovery) {
    if (!plan.webgl_switches.empty()) parts.push_back(plan.webgl_switches);
    add_switch(parts, L"webrtc-fake-public-ip", outcome.webrtc_public_ip);
    if (o.webrtc_no_leak) add_switch(parts, L"force-webrtc-ip-handling-policy", L"default");
    add_switch(parts, L"timezone-override", outcome.timezone_override);
    add_switch(parts, L"lang", outcome.lang);
    add_switch(parts, L"accept-language", outcome.accept_language);
    add_switch(parts, L"geo-lat", outcome.geo_lat);
    add_switch(parts, L"geo-lng", outcome.geo_lng);
    if (!outcome.geo_lat.empty() && !outcome.geo_lng.empty()) add_switch(parts, L"geo-accuracy", L"100");
  }
  if (launcher_adds(o, Added::device_memory)) add_switch(parts, L"device-memory", host.device_memory);
  if (launcher_adds(o, Added::hardware_concurrency)) {
    add_switch(parts, L"hardware-concurrency", host.hardware_concurrency);
  }
  if (launcher_adds(o, Added::speech_voices)) add_switch(parts, L"speech-voices-preset", L"stock-chrome-windows");
  if (form == SwitchForm::passthrough && !plan.webgl_switches.empty()) parts.push_back(plan.webgl_switches);
  return parts;
}

std::vector<std::wstring> engine_command_line_parts(const LaunchPlan& plan, SwitchForm form,
                                                    const DiscoveryOutcome& outcome) {
  std::vector<std::wstring> parts = {L"\"" + plan.engine_path + L"\""};
  for (const wchar_t* fixed : FIXED_ENGINE_SWITCHES) parts.push_back(fixed);
  const LauncherArguments& args = plan.args;
  std::wstring callers = args.pass_through.substr(0, args.engine_part);
  if (args.engine_part != std::wstring::npos) {
    // The blanks before the Engine's own part: the added switches come there.
    while (!callers.empty() && (callers.back() == L' ' || callers.back() == L'\t')) callers.pop_back();
  }
  if (!callers.empty()) parts.push_back(callers);
  for (std::wstring& part : engine_switches(plan, form, outcome)) parts.push_back(std::move(part));
  std::vector<std::wstring> page = start_page_arguments(plan.overlay.start_page);
  if (args.engine_part == std::wstring::npos) {
    for (std::wstring& p : page) parts.push_back(std::move(p));
  } else if (args.single_argument) {
    if (page.size() == 1) parts.push_back(std::move(page.back()));
    parts.push_back(args.pass_through.substr(args.engine_part));
  } else {
    parts.push_back(args.pass_through.substr(args.engine_part));
    parts.push_back(std::move(page.back()));
  }
  return parts;
}

std::wstring engine_command_line(const LaunchPlan& plan, SwitchForm form, const DiscoveryOutcome& outcome) {
  return join_arguments(engine_command_line_parts(plan, form, outcome));
}

std::size_t longest_engine_command_line(const LaunchPlan& plan) {
  DiscoveryOutcome longest;
  if (plan.path == StartPath::discovery) {
    const PersonaOverlay& o = plan.overlay;
    const LanguagePair language = longest_country_language();
    const auto fill = [&o](Added value, std::string& field, std::string text) {
      if (launcher_adds(o, value)) field = std::move(text);
    };
    fill(Added::webrtc_public_ip, longest.webrtc_public_ip, std::string(MAX_IP_LENGTH, '0'));
    fill(Added::timezone_override, longest.timezone_override, std::string(MAX_TIME_ZONE_LENGTH, 'Z'));
    fill(Added::lang, longest.lang, language.language_tag);
    fill(Added::accept_language, longest.accept_language, language.accept_language);
    fill(Added::geo_lat, longest.geo_lat, std::string(MAX_COORDINATE_LENGTH, '9'));
    fill(Added::geo_lng, longest.geo_lng, std::string(MAX_COORDINATE_LENGTH, '9'));
  }
  return engine_command_line(plan, plan.form, longest).size();
}

std::wstring join_arguments(const std::vector<std::wstring>& parts) {
  std::wstring joined;
  for (const std::wstring& part : parts) {
    if (!joined.empty()) joined += L' ';
    joined += part;
  }
  return joined;
}

}  // namespace vantrel
