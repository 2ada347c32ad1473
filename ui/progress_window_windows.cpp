#include "ui/progress_window.h"

#include <cwchar>
#include <string>
#include <utility>

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

// Private messages, posted by the reporter on the worker's thread.
constexpr UINT WM_STEP_UPDATED = WM_USER + 1;    // wParam: the row changed; repaint
constexpr UINT WM_DISCOVERY_DONE = WM_USER + 2;  // the worker has finished: close

// DT_NOPREFIX everywhere: an "&" in a value is drawn as "&", not as an
// underline under the next character.
constexpr UINT kFlagsLeft = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;                      // 0x820
constexpr UINT kFlagsLeftEllipsis = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX;              // 0x8820
constexpr UINT kFlagsRightEllipsis = DT_SINGLELINE | DT_RIGHT | DT_END_ELLIPSIS | DT_NOPREFIX;  // 0x8822
constexpr int kDetailGap = 8;  // pixels between a step's label and its detail

HFONT make_font(int height, int weight, BYTE pitch_and_family, const wchar_t* face) {
  return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitch_and_family, face);
}

void draw(HDC dc, const std::wstring& text, int left, int top, int right, int bottom, UINT flags) {
  RECT r{left, top, right, bottom};
  ::DrawTextW(dc, text.c_str(), -1, &r, flags);
}

}  // namespace

ProgressWindow::ProgressWindow(ProgressListings listings)
    : listings_(std::move(listings)), shared_(std::make_shared<ProgressShared>()) {
  fonts_.title.reset(make_font(20, 600, 0x20, L"Segoe UI"));
  fonts_.body.reset(make_font(16, 400, 0x20, L"Segoe UI"));
  fonts_.caption.reset(make_font(13, 400, 0x20, L"Segoe UI"));
  fonts_.mono.reset(make_font(12, 400, 0x31, L"Consolas"));
}

ProgressWindow::~ProgressWindow() {
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
}

std::unique_ptr<ProgressWindow> ProgressWindow::create(HINSTANCE instance, ProgressListings listings) {
  std::unique_ptr<ProgressWindow> self(new ProgressWindow(std::move(listings)));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = procedure;
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
  const int height = progress_window_height(self->listings_.active_override_count,
                                            self->listings_.raw_switch_count, screen_height);
  // The procedure takes the object from the creation parameter (WM_NCCREATE).
  self->window_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClassName, L"Preparing Vantrel\x2026",
                                    WS_CAPTION | WS_SYSMENU, (screen_width - kWidth) / 2,
                                    (screen_height - height) / 2, kWidth, height, nullptr, nullptr, instance,
                                    self.get());
  if (self->window_ == nullptr) return nullptr;
  self->shared_->window = self->window_;
  return self;
}

void ProgressWindow::connect(WorkerHooks& hooks) const {
  // The hooks run on the worker's thread and hold the shared state only.
  const std::shared_ptr<ProgressShared> shared = shared_;
  hooks.report = [shared](const DiscoveryReport& report) {
    const ReportShown shown = show_report(shared->steps, report);
    // Posts fail silently once the user has closed the window.
    ::PostMessageW(shared->window, WM_STEP_UPDATED, static_cast<WPARAM>(shown.row), 0);
    if (shown.pause_ms > 0) ::Sleep(shown.pause_ms);
    if (shown.close_window) ::PostMessageW(shared->window, WM_DISCOVERY_DONE, 0, 0);
  };
  hooks.cancelled = [shared] { return shared->cancelled.load(); };
}

void ProgressWindow::paint_listing_section(int& y, HDC dc, const wchar_t* title, const std::vector<ListingRow>& rows,
                                           std::size_t count, int bottom) const {
  // "Title (N)", N counting every member, also those beyond the rows kept.
  const std::wstring heading = (std::wstring(title) + L" (" + std::to_wstring(count) + L")").substr(0, 95);
  {
    win::ScopedSelect font(dc, fonts_.caption.get());
    ::SetTextColor(dc, kSecondaryText);
    draw(dc, heading.c_str(), 16, y, 444, y + 18, kFlagsLeft);
  }
  y += 18;
  win::ScopedSelect font(dc, fonts_.mono.get());
  ::SetTextColor(dc, kListingText);
  for (const ListingRow& row : rows) {
    // Rows below the bottom edge would never be seen: an overlay with a huge
    // number of members must not make every repaint slow.
    if (y >= bottom) break;
    draw(dc, row.key + L"  " + row.value, 18, y, 444, y + 16, kFlagsLeftEllipsis);
    y += 16;
  }
}

void ProgressWindow::paint(HDC dc, const RECT& client) const {
  {
    win::ScopedBrush background(::CreateSolidBrush(kBackground));
    ::FillRect(dc, &client, background.get());
  }
  ::SetBkMode(dc, TRANSPARENT);
  const win::ScopedSelect keep_font(dc, fonts_.title.get());

  ::SetTextColor(dc, kPrimaryText);
  draw(dc, L"Preparing Vantrel", 16, 14, 444, 40, kFlagsLeft);
  ::SelectObject(dc, fonts_.caption.get());
  ::SetTextColor(dc, kSecondaryText);
  draw(dc, L"Auto-detecting persona settings\x2026", 16, 38, 444, 58, kFlagsLeft);

  int y = 72;
  for (const ProgressStep& step : shared_->steps.snapshot()) {
    ::SelectObject(dc, fonts_.body.get());
    const auto [glyph, colour] = step.failed ? std::pair{L"\x00D7", kFailed}
                                 : step.done ? std::pair{L"\x2713", kDone}
                                             : std::pair{L"\x23F3", kPending};
    ::SetTextColor(dc, colour);
    draw(dc, glyph, 18, y, 38, y + 20, kFlagsLeft);
    ::SetTextColor(dc, kPrimaryText);
    draw(dc, step.label, 40, y, 444, y + 20, kFlagsLeft);
    // The detail gets the room right of the label, cut with an ellipsis
    // there, so that a long detail is never drawn across the label.
    SIZE label{};
    ::GetTextExtentPoint32W(dc, step.label.c_str(), static_cast<int>(step.label.size()), &label);
    const int detail_left = 40 + static_cast<int>(label.cx) + kDetailGap;
    if (!step.detail.empty() && detail_left < 444) {
      ::SelectObject(dc, fonts_.caption.get());
      ::SetTextColor(dc, step.failed ? kFailed : kSecondaryText);
      draw(dc, step.detail, detail_left, y, 444, y + 20, kFlagsRightEllipsis);
    }
    y += 22;
  }

  if (listings_.active_override_rows.empty() && listings_.raw_switch_rows.empty()) return;
  y += 12;
  if (!listings_.active_override_rows.empty()) {
    paint_listing_section(y, dc, L"Active overrides", listings_.active_override_rows,
                          listings_.active_override_count, client.bottom);
  }
  if (listings_.raw_switch_rows.empty()) return;
  if (!listings_.active_override_rows.empty()) y += 6;
  paint_listing_section(y, dc, L"Raw Chromium switches", listings_.raw_switch_rows, listings_.raw_switch_count,
                        client.bottom);
}

LRESULT CALLBACK ProgressWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(window, &ps);
      RECT client;
      ::GetClientRect(window, &client);
      self->paint(dc, client);
      ::EndPaint(window, &ps);
      return 0;
    }
    case WM_CLOSE:  // the title-bar button, the system menu or Alt+F4: the user cancels
      self->shared_->cancelled.exchange(true);
      ::DestroyWindow(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the background
    case WM_STEP_UPDATED:
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_DISCOVERY_DONE:
      // While this window still has the foreground, let whatever starts next
      // take it: the Engine, which has no process id yet, would otherwise
      // open behind other windows.
      ::AllowSetForegroundWindow(ASFW_ANY);
      ::DestroyWindow(window);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace vantrel
