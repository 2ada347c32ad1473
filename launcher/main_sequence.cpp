#include "launcher/main_sequence.h"

#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "launcher/command_line.h"
#include "launcher/engine_launch.h"
#include "launcher/switches.h"
#include "overlay/overlay_file.h"
#include "overlay/overlay_model.h"
#include "profile/hygiene.h"
#include "records/result_record.h"
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

}  // namespace

int run_launcher(void* /*instance*/, const wchar_t* command_line) {
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
  // The member listing is what the progress window shows; it is built before
  // any window exists.
  const OverlayListing listing = build_overlay_listing(read_overlay_text(overlay_path));
  (void)listing;

  if (needs_discovery(overlay) && is_socks5_url(overlay.proxy_server)) {
    // The progress window is not available in this build: start as when it
    // cannot be created, without discovery.
    write_result_record("degraded", 0, "DIALOG_INIT_FAILED",
                        "CreateProgressDialog returned null; spawned engine without discovery");
    run_hygiene(user_data_dir, overlay);
    const std::wstring extra = assemble_degraded_switches(overlay, query_host_figures(overlay));
    return start_engine(engine_path, pass_through_args, extra);
  }

  run_hygiene(user_data_dir, overlay);
  const std::wstring webgl = load_webgl_profile_switches(overlay.webgl_profile, launcher_dir);
  const std::wstring extra = assemble_passthrough_switches(overlay, query_host_figures(overlay), webgl);
  write_result_record("passthrough", 0, "", "");
  return start_engine(engine_path, pass_through_args, extra);
}

}  // namespace vantrel
