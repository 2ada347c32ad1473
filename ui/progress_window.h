// The progress window shown while the proxy's egress is discovered: four
// steps with glyph, label and detail, then the overlay listings. Closing it
// cancels the start.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "base/scoped_handle.h"
#include "discovery/worker.h"
#include "ui/listing.h"
#include "ui/progress_report.h"

namespace vantrel {

// The window's four fonts.
struct ProgressFonts {
  win::ScopedFont title;  // Segoe UI 20, semibold
  win::ScopedFont body;   // Segoe UI 16
  win::ScopedFont caption;  // Segoe UI 13 (rpcndr.h makes "small" a macro)
  win::ScopedFont mono;   // Consolas 12
};

// What the window shares with the discovery worker: the rows the worker's
// reports change, the user's cancel, and the window to post to. Owned jointly,
// because a worker still probing after the launcher stopped waiting for it
// must not write into freed memory while the process ends.
struct ProgressShared {
  ProgressSteps steps;
  std::atomic<bool> cancelled{false};
  HWND window = nullptr;  // set before the worker starts; the worker only posts to it
};

// The window and everything it owns; the window procedure reaches it through
// GWLP_USERDATA.
class ProgressWindow {
 public:
  // Creates the fonts, registers the class "VantrelLauncher" and creates the
  // hidden window, 460 pixels wide, centred on the primary monitor, its height
  // from the listings. Null when the window cannot be created.
  static std::unique_ptr<ProgressWindow> create(HINSTANCE instance, ProgressListings listings);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND handle() const { return window_; }

  // Whether the user closed the window.
  bool cancelled() const { return shared_->cancelled.load(); }

  // Fills the worker's `report` and `cancelled` hooks: a report changes a row,
  // repaints, pauses the worker, and after the last one closes the window.
  void connect(WorkerHooks& hooks) const;

 private:
  explicit ProgressWindow(ProgressListings listings);
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc, const RECT& client) const;
  void paint_listing_section(int& y, HDC dc, const wchar_t* title, const std::vector<ListingRow>& rows, std::size_t count,
                             int bottom) const;

  ProgressFonts fonts_;
  ProgressListings listings_;
  std::shared_ptr<ProgressShared> shared_;
  HWND window_ = nullptr;
};

}  // namespace vantrel
