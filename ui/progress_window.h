// The progress window shown while the proxy's egress is discovered.
#pragma once

#include <windows.h>

namespace vantrel {

// The window's handle, process-wide: set by the main thread before the
// worker starts; the worker only posts to it.
HWND& progress_window();

}  // namespace vantrel
