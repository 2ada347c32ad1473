// The progress window shown while the proxy's egress is discovered: four
// steps with glyph, label and detail, then the overlay listings.
#pragma once

#include <windows.h>

#include "platform/windows/scoped_handle.h"

namespace vantrel {

struct GdiObjectTraits {
  static bool valid(HGDIOBJ h) { return h != nullptr; }
  static void close(HGDIOBJ h) { ::DeleteObject(h); }
};
using ScopedFont = win::ScopedResource<HFONT, GdiObjectTraits>;

// The window's four fonts; released when this goes out of scope.
struct ProgressFonts {
  ScopedFont title;  // Segoe UI 20, semibold
  ScopedFont body;   // Segoe UI 16
  ScopedFont small;  // Segoe UI 13
  ScopedFont mono;   // Consolas 12
};
ProgressFonts create_progress_fonts();

// The window's handle, process-wide: set by the main thread before the
// worker starts; the worker only posts to it.
HWND& progress_window();

// Registers the window class "VantrelLauncher" and creates the (hidden)
// window, 460 pixels wide, centred on the primary monitor, its height from
// the listings. The painter uses `fonts`, which must outlive the window.
// Returns null when the window cannot be created.
HWND create_progress_window(HINSTANCE instance, const ProgressFonts& fonts);

// Paints the whole client area from progress_steps() and
// progress_listings().
void paint_progress(HDC dc, const RECT& client);

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace vantrel
