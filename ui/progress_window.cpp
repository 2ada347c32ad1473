#include "ui/progress_window.h"

#include <cwchar>
#include <string>

#include "discovery/outcome.h"
#include "ui/listing.h"
#include "ui/progress_steps.h"

namespace vantrel {

namespace {

constexpr const wchar_t* kClassName = L"VantrelLauncher";
constexpr int kWidth = 460;

constexpr COLORREF kBackground = RGB(30, 33, 41);
constexpr COLORREF kPrimaryText = RGB(231, 236, 243);
constexpr COLORREF kSecondaryText = RGB(170, 179, 192);
constexpr COLORREF kFailed = RGB(248, 113, 113);
constexpr COLORREF kDone = RGB(74, 222, 128);
constexpr COLORREF kPending = RGB(245, 158, 11);
constexpr COLORREF kListingText = RGB(190, 200, 215);

// DT_NOPREFIX everywhere: an "&" in a value is drawn as "&", not as an
// underline under the next character.
constexpr UINT kFlagsLeft = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;                      // 0x820
constexpr UINT kFlagsLeftEllipsis = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;              // 0x8820
constexpr UINT kFlagsRightEllipsis = DT_SINGLELINE | DT_RIGHT | DT_END_ELLIPSIS | DT_NOPREFIX;  // 0x8822
constexpr int kDetailGap = 8;  // pixels between a step's label and its detail

const ProgressFonts* g_fonts = nullptr;

HFONT make_font(int height, int weight, BYTE pitch_and_family, const wchar_t* face) {
  return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitch_and_family, face);
}

// Selects a GDI object into a device context for one scope.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~ScopedSelect() { ::SelectObject(dc_, previous_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

void draw(HDC dc, const std::wstring& text, int left, int top, int right, int bottom, UINT flags) {
  RECT r{left, top, right, bottom};
  ::DrawTextW(dc, text.c_str(), -1, &r, flags);
}

// Rows below `bottom` would be drawn outside the window and never seen; they
// are skipped, so that an overlay with a huge number of members cannot make
// every repaint slow.
void paint_listing_section(int& y, HDC dc, const wchar_t* title, const std::vector<ListingRow>& rows, int bottom) {
  wchar_t heading[96];
  std::swprintf(heading, 96, L"%ls (%d)", title, static_cast<int>(rows.size()));
  {
    ScopedSelect font(dc, g_fonts->small.get());
    ::SetTextColor(dc, kSecondaryText);
    draw(dc, heading, 16, y, 444, y + 18, kFlagsLeft);
  }
  y += 18;
  ScopedSelect font(dc, g_fonts->mono.get());
  ::SetTextColor(dc, kListingText);
  for (const ListingRow& row : rows) {
    if (y >= bottom) break;  // y stays past the bottom: what follows is not seen either
    draw(dc, row.key + L"  " + row.value, 18, y, 444, y + 16, kFlagsLeftEllipsis);
    y += 16;
  }
}

}  // namespace

ProgressFonts create_progress_fonts() {
  ProgressFonts fonts;
  fonts.title.reset(make_font(20, 600, 0x20, L"Segoe UI"));
  fonts.body.reset(make_font(16, 400, 0x20, L"Segoe UI"));
  fonts.small.reset(make_font(13, 400, 0x20, L"Segoe UI"));
  fonts.mono.reset(make_font(12, 400, 0x31, L"Consolas"));
  return fonts;
}

HWND& progress_window() {
  static HWND window = nullptr;
  return window;
}

void paint_progress(HDC dc, const RECT& client) {
  {
    win::ScopedResource<HBRUSH, GdiObjectTraits> background(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &client, background.get());
  }
  ::SetBkMode(dc, TRANSPARENT);
  const ScopedSelect keep_font(dc, g_fonts->title.get());

  ::SetTextColor(dc, kPrimaryText);
  draw(dc, L"Preparing Vantrel", 16, 14, 444, 40, kFlagsLeft);
  ::SelectObject(dc, g_fonts->small.get());
  ::SetTextColor(dc, kSecondaryText);
  draw(dc, L"Auto-detecting persona settings\x2026", 16, 38, 444, 58, kFlagsLeft);

  int y = 72;
  for (const ProgressStep& step : progress_steps().snapshot()) {
    ::SelectObject(dc, g_fonts->body.get());
    if (step.failed) {
      ::SetTextColor(dc, kFailed);
      draw(dc, L"\x00D7", 18, y, 38, y + 20, kFlagsLeft);
    } else if (step.done) {
      ::SetTextColor(dc, kDone);
      draw(dc, L"\x2713", 18, y, 38, y + 20, kFlagsLeft);
    } else {
      ::SetTextColor(dc, kPending);
      draw(dc, L"\x23F3", 18, y, 38, y + 20, kFlagsLeft);
    }
    ::SetTextColor(dc, kPrimaryText);
    draw(dc, step.label, 40, y, 444, y + 20, kFlagsLeft);
    // The detail gets the room right of the label, cut with an ellipsis
    // there, so that a long detail is never drawn across the label.
    SIZE label{};
    ::GetTextExtentPoint32W(dc, step.label.c_str(), static_cast<int>(step.label.size()), &label);
    const int detail_left = 40 + static_cast<int>(label.cx) + kDetailGap;
    if (!step.detail.empty() && detail_left < 444) {
      ::SelectObject(dc, g_fonts->small.get());
      ::SetTextColor(dc, step.failed ? kFailed : kSecondaryText);
      draw(dc, step.detail, detail_left, y, 444, y + 20, kFlagsRightEllipsis);
    }
    y += 22;
  }

  const ProgressListings& listings = progress_listings();
  if (listings.active_override_rows.empty() && listings.raw_switch_rows.empty()) return;
  y += 12;
  if (!listings.active_override_rows.empty()) {
    paint_listing_section(y, dc, L"Active overrides", listings.active_override_rows, client.bottom);
  }
  if (listings.raw_switch_rows.empty()) return;
  if (!listings.active_override_rows.empty()) y += 6;
  paint_listing_section(y, dc, L"Raw Chromium switches", listings.raw_switch_rows, client.bottom);
}

LRESULT CALLBACK progress_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window, &ps);
      RECT client;
      ::GetClientRect(window, &client);
      paint_progress(dc, client);
      ::EndPaint(window, &ps);
      return 0;
    }
    case WM_CLOSE:
      discovery_outcome().cancelled.exchange(true);
      ::DestroyWindow(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_STEP_UPDATED:
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_DISCOVERY_DONE:
      ::DestroyWindow(window);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

HWND create_progress_window(HINSTANCE instance, const ProgressFonts& fonts) {
  g_fonts = &fonts;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = progress_window_proc;
  wc.hInstance = instance;
  // Shared icons from the module (or the system): owned by the system.
  wc.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                             ::GetSystemMetrics(SM_CYICON), LR_SHARED));
  wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                               LR_SHARED));
  if (wc.hIcon == nullptr) wc.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  if (wc.hIconSm == nullptr) wc.hIconSm = ::LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);  // a failure shows as a failed creation below

  const int screen_width = ::GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = ::GetSystemMetrics(SM_CYSCREEN);
  const ProgressListings& listings = progress_listings();
  const int height =
      progress_window_height(listings.active_override_rows.size(), listings.raw_switch_rows.size(), screen_height);
  HWND window = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, L"Preparing Vantrel\x2026",
                                  WS_CAPTION | WS_SYSMENU, (screen_width - kWidth) / 2, (screen_height - height) / 2,
                                  kWidth, height, nullptr, nullptr, instance, nullptr);
  progress_window() = window;
  return window;
}

}  // namespace vantrel
