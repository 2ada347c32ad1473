#include "launcher/main_sequence.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "discovery/outcome.h"
#include "discovery/worker_thread.h"
#include "launcher/command_line.h"
#include "launcher/engine_launch.h"
#include "launcher/switches.h"
#include "overlay/overlay_file.h"
#include "overlay/overlay_model.h"
#include "profile/hygiene.h"
#include "records/record_paths.h"
#include "records/result_record.h"
#include "ui/listing.h"
#include "ui/progress_steps.h"
#include "ui/progress_window.h"
#include "webgl/catalogue.h"

namespace vantrel {

namespace {

constexpr const wchar_t* kCaption = L"Vantrel";

std::wstring own_folder() {
  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  ::PathRemoveFileSpecW(module);
  return module;
}

bool is_socks5_url(const std::string& proxy) { return proxy.compare(0, 9, "socks5://") == 0; }

void run_hygiene(const std::wstring& user_data_dir, const PersonaOverlay& overlay) {
  if (overlay.close_previous_tabs) clear_previous_tabs(user_data_dir);
  reset_granular_storage(user_data_dir, overlay.granular_storage_reset);
}

// Starts the Engine; when the system refuses, says so instead of reporting
// a start that never happened.
int start_engine(const std::wstring& engine_path, const std::wstring& pass_through_args,
                 const std::wstring& extra_switches) {
  unsigned long error = 0;
  if (launch_engine(engine_path, pass_through_args, extra_switches, &error)) return EXIT_STARTED;
  const std::wstring text = engine_start_failure_text(engine_path, error);
  ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR);
  return EXIT_ENGINE_MISSING;
}

// The start without discovery when the progress window (or its worker) is
// not available: record first, then hygiene, switches and the start.
int degraded_start(const std::wstring& engine_path, const std::wstring& pass_through_args,
                   const std::wstring& user_data_dir, const PersonaOverlay& overlay, const std::string& message) {
  write_result_record("degraded", 0, "DIALOG_INIT_FAILED", message);
  run_hygiene(user_data_dir, overlay);
  const std::wstring extra = assemble_degraded_switches(overlay, query_host_figures(overlay));
  return start_engine(engine_path, pass_through_args, extra);
}

// Runs the window's message loop until the window is gone.
void run_message_loop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace

int run_launcher(void* instance, const wchar_t* command_line) {
  const std::wstring launcher_dir = own_folder();
  const std::wstring engine_path = engine_path_for(launcher_dir);
  if (!::PathFileExistsW(engine_path.c_str())) {
    const std::wstring text = L"Engine binary not found:\n" + engine_path + L"\n\nReinstall Vantrel.";
    ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR);
    return EXIT_ENGINE_MISSING;
  }

  const std::wstring pass_through_args = command_line != nullptr ? command_line : L"";
  const std::wstring user_data_dir = get_user_data_dir();
  const std::wstring overlay_path = locate_overlay_file(user_data_dir);
  const PersonaOverlay overlay = load_persona_overlay(overlay_path);
  // The member listings are what the progress window shows; they are built
  // before any window exists and never change afterwards.
  {
    const OverlayListing listing = build_overlay_listing(read_overlay_text(overlay_path));
    ProgressListings& listings = progress_listings();
    listings.active_override_rows = format_listing_rows(listing.overrides);
    listings.raw_switch_rows = format_listing_rows(listing.raw_switches);
  }

  if (!needs_discovery(overlay) || !is_socks5_url(overlay.proxy_server)) {
    run_hygiene(user_data_dir, overlay);
    const std::wstring webgl = load_webgl_profile_switches(overlay.webgl_profile, launcher_dir);
    const std::wstring extra = assemble_passthrough_switches(overlay, query_host_figures(overlay), webgl);
    write_result_record("passthrough", 0, "", "");
    return start_engine(engine_path, pass_through_args, extra);
  }

  // Discovery: the window first, then the worker.
  progress_steps().reset({L"Loading persona overlay", L"Discovering proxy egress IP",
                          L"Applying anti-detect overrides", L"Launching chrome.exe"});
  DiscoveryOutcome& outcome = discovery_outcome();
  {
    ProgressFonts fonts = create_progress_fonts();
    HWND window = create_progress_window(static_cast<HINSTANCE>(instance), fonts);
    if (window == nullptr) {
      return degraded_start(engine_path, pass_through_args, user_data_dir, overlay,
                            "CreateProgressDialog returned null; spawned engine without discovery");
    }
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);

    auto* context = new DiscoveryContext{overlay, make_error_record_path()};
    win::ScopedHandle worker(::CreateThread(nullptr, 0, discovery_worker, context, 0, nullptr));
    if (!worker.valid()) {
      // Without a worker nothing would ever close the window: close it now
      // and start as when the window cannot be created.
      delete context;
      ::DestroyWindow(window);
      run_message_loop();
      return degraded_start(engine_path, pass_through_args, user_data_dir, overlay,
                            "CreateThread failed; spawned engine without discovery");
    }
    run_message_loop();
    // A worker still probing after a cancel is left to end with the process.
    ::WaitForSingleObject(worker.get(), 6000);
  }  // the worker's handle and the fonts are released here

  if (outcome.cancelled.load()) return EXIT_STARTED;
  if (outcome.blocked.load()) {
    write_result_record("blocked", outcome.elapsed_ms, "PROXY_BLOCKED", "see .orlisk-launcher-error.json for details");
    return EXIT_BLOCKED;
  }
  std::wstring extra =
      begin_discovery_switches(overlay, outcome, load_webgl_profile_switches(overlay.webgl_profile, launcher_dir));
  run_hygiene(user_data_dir, overlay);
  finish_discovery_switches(extra, overlay, query_host_figures(overlay));
  write_result_record("ok", outcome.elapsed_ms, "", "");
  return start_engine(engine_path, pass_through_args, extra);
}

}  // namespace vantrel
