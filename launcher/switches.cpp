#include "launcher/switches.h"

#include "launcher/command_line.h"
#include "launcher/host_hardware.h"
#include "overlay/text_encoding.h"

namespace vantrel {

namespace {
constexpr const wchar_t* kVoicesPreset = L"stock-chrome-windows";
constexpr const wchar_t* kDefaultStartPage = L"chrome://version";

// The host and voices switches of the passthrough and degraded forms, each
// with its trailing blank.
std::wstring host_switches_with_trailing_blanks(const PersonaOverlay& overlay, const HostFigures& host) {
  std::wstring out;
  if (!overlay.has_device_memory && !host.device_memory.empty()) {
    out += L"--device-memory=" + host.device_memory + L" ";
  }
  if (!overlay.has_hardware_concurrency && !host.hardware_concurrency.empty()) {
    out += L"--hardware-concurrency=" + host.hardware_concurrency + L" ";
  }
  if (!overlay.has_speech_voices) {
    out += std::wstring(L"--speech-voices-preset=") + kVoicesPreset + L" ";
  }
  return out;
}
}  // namespace

HostFigures query_host_figures(const PersonaOverlay& overlay) {
  HostFigures host;
  if (!overlay.has_device_memory) host.device_memory = host_device_memory();
  if (!overlay.has_hardware_concurrency) host.hardware_concurrency = host_hardware_concurrency();
  return host;
}

std::wstring start_page_text(const std::string& start_page) {
  if (start_page.empty()) return kDefaultStartPage;
  const auto first = static_cast<unsigned char>(start_page.front());
  const bool letter = (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z');
  return (letter ? L"" : L"-- ") + quote_windows_argument(utf8_to_wide(start_page));
}

void append_switch(std::wstring& switches, const std::wstring& name, const std::wstring& value) {
  if (value.empty()) return;
  if (!switches.empty()) switches += L' ';
  switches += L"--" + name + L"=" + value;
}

std::wstring assemble_passthrough_switches(const PersonaOverlay& overlay, const HostFigures& host,
                                           const std::wstring& webgl_switches) {
  std::wstring out = host_switches_with_trailing_blanks(overlay, host);
  if (!webgl_switches.empty()) out += webgl_switches + L" ";
  out += start_page_text(overlay.start_page);
  return out;
}

std::wstring assemble_degraded_switches(const PersonaOverlay& overlay, const HostFigures& host) {
  return host_switches_with_trailing_blanks(overlay, host) + start_page_text(overlay.start_page);
}

std::wstring begin_discovery_switches(const PersonaOverlay& overlay, const DiscoveryOutcome& outcome,
                                      const std::wstring& webgl_switches) {
  std::wstring out = webgl_switches;
  append_switch(out, L"webrtc-fake-public-ip", outcome.webrtc_public_ip);
  if (overlay.webrtc_no_leak) append_switch(out, L"force-webrtc-ip-handling-policy", L"default");
  append_switch(out, L"timezone-override", outcome.timezone_override);
  append_switch(out, L"lang", outcome.lang);
  append_switch(out, L"accept-language", outcome.accept_language);
  append_switch(out, L"geo-lat", outcome.geo_lat);
  append_switch(out, L"geo-lng", outcome.geo_lng);
  if (!outcome.geo_lat.empty() && !outcome.geo_lng.empty()) append_switch(out, L"geo-accuracy", L"100");
  return out;
}

void finish_discovery_switches(std::wstring& switches, const PersonaOverlay& overlay, const HostFigures& host) {
  if (!overlay.has_device_memory) append_switch(switches, L"device-memory", host.device_memory);
  if (!overlay.has_hardware_concurrency) append_switch(switches, L"hardware-concurrency", host.hardware_concurrency);
  if (!overlay.has_speech_voices) append_switch(switches, L"speech-voices-preset", kVoicesPreset);
  if (!switches.empty()) switches += L' ';
  switches += start_page_text(overlay.start_page);
}

}  // namespace vantrel
