// Assembly of the switches a run adds to the Engine's command line
// (`extra_switches`), in the three forms used by the three start paths.
#pragma once

#include <string>

#include "discovery/outcome.h"
#include "overlay/overlay_model.h"

namespace vantrel {

// The host values that a run may add; each empty when there is none.
struct HostFigures {
  std::wstring device_memory;         // host_device_memory()
  std::wstring hardware_concurrency;  // host_hardware_concurrency()
};

// Queries the host for the figures that the overlay does not name itself;
// the others stay empty.
HostFigures query_host_figures(const PersonaOverlay& overlay);

// The page the Engine opens first: "chrome://version" when `start_page` is
// empty, else the page as one double-quoted argument. Quotes and backslashes
// before them are escaped so that the page cannot end its argument early; a
// page with neither is simply enclosed in quotes. A page that does not begin
// with an ASCII letter (every absolute URL begins with its scheme) follows
// the end-of-switches marker "-- ", so that the Engine cannot take "--x" or
// "/x" (or " --x", which it trims) for a switch.
std::wstring start_page_text(const std::string& start_page);

// Appends " --NAME=VALUE" (no blank when `switches` is empty); nothing at all
// when the value is empty. Values are inserted verbatim.
void append_switch(std::wstring& switches, const std::wstring& name, const std::wstring& value);

// Passthrough form: host figures, voices preset and WebGL switches, each
// followed by one blank, then the start page.
std::wstring assemble_passthrough_switches(const PersonaOverlay& overlay, const HostFigures& host,
                                           const std::wstring& webgl_switches);

// Degraded form: the passthrough form without the WebGL switches.
std::wstring assemble_degraded_switches(const PersonaOverlay& overlay, const HostFigures& host);

// Discovery form, first half: WebGL switches, then the derived overrides
// (WebRTC, time zone, language, coordinates), blank-separated. The profile
// hygiene runs between the two halves.
std::wstring begin_discovery_switches(const PersonaOverlay& overlay, const DiscoveryOutcome& outcome,
                                      const std::wstring& webgl_switches);

// Discovery form, second half: host figures, voices preset, then one blank
// (when anything precedes it) and the start page.
void finish_discovery_switches(std::wstring& switches, const PersonaOverlay& overlay,
                               const HostFigures& host);

}  // namespace vantrel
