// The Windows shell around the launch plan: the missing-Engine message box,
// the progress window and the discovery worker, the records, the hygiene and
// the Engine's start, in the order callers rely on (the result record is
// always written before the Engine starts).
#include "launcher/main_sequence.h"

#include <windows.h>

#include <memory>
#include <string>

#include "platform/atomic_write.h"
#include "base/scoped_handle.h"
#include "discovery/curl_probe.h"
#include "discovery/worker_thread.h"
#include "launcher/engine_command_line.h"
#include "launcher/engine_launch.h"
#include "launcher/launch_plan.h"
#include "platform/platform.h"
#include "records/records.h"
#include "ui/progress_window.h"

namespace vantrel {

namespace {

constexpr const wchar_t* kCaption = L"Vantrel";

// The box for an overlay too large to read in memory (its path when known):
// nothing is started, never with the defaults, which would drop a "block".
ExitCode overlay_too_large(const std::wstring& path) {
  const std::wstring text = L"The persona overlay is too large to read" + (path.empty() ? L"." : L":\n" + path) +
                            L"\n\nNothing was started.";
  ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR);
  return ExitCode::not_begun;
}

DiscoveredValues discovered_values(const DiscoveryOutcome& o) {
  return {o.ip, o.timezone, o.country_code, o.geo_lat, o.geo_lng, o.lang, o.accept_language, o.provider};
}

// One run's fixed inputs and the steps every path shares.
struct Run {
  std::wstring engine_path;
  std::wstring pass_through_args;
  LaunchPlan plan;
  HostFigures host;

  void write_result(RunStatus status, std::uint64_t elapsed_ms, ErrorCode error, const std::string& message,
                    const DiscoveryOutcome& outcome) const {
    const std::wstring path = record_path(plan.user_data_dir, RESULT_RECORD_NAME);
    if (path.empty()) return;
    platform::write_file_atomic(platform::file_path(path), build_result_record_json(platform::utc_timestamp(), status, elapsed_ms, error,
                                                               message, discovered_values(outcome)));
  }

  void clean_profile() const { remove_planned(plan.user_data_dir, plan.removals); }

  // Starts the Engine; when the system refuses, says so instead of reporting
  // a start that never happened.
  ExitCode start(SwitchForm form, const DiscoveryOutcome& outcome) const {
    const std::wstring line = engine_command_line(engine_path, pass_through_args, plan, form, outcome, host);
    unsigned long error = 0;
    if (launch_engine(engine_path, line, &error)) return ExitCode::started;
    const std::wstring text = engine_start_failure_text(engine_path, error);
    ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR);
    return ExitCode::engine_missing;
  }

  // The start without discovery when the progress window (or its worker) is
  // not available: record first, then hygiene, switches and the start. An
  // overlay that blocks on a failed discovery is blocked here too: without
  // its derived values the persona would go online with the host's time zone
  // and its real WebRTC address, which is what "block" exists to prevent.
  ExitCode degraded(const std::string& message) const {
    const DiscoveryOutcome nothing;
    if (plan.overlay.on_proxy_fail == OnProxyFail::block) {
      write_result(RunStatus::blocked, 0, ErrorCode::dialog_init_failed, message, nothing);
      return ExitCode::blocked;
    }
    write_result(RunStatus::degraded, 0, ErrorCode::dialog_init_failed, message, nothing);
    clean_profile();
    return start(SwitchForm::degraded, nothing);
  }
};

// Runs the window's message loop until the window is gone.
void run_message_loop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

ExitCode run(HINSTANCE instance, const wchar_t* command_line) {
  const std::wstring launcher_dir = platform::own_folder();
  Run run{engine_path_for(launcher_dir), command_line != nullptr ? command_line : L"", {}, {}};
  if (!platform::path_exists(platform::file_path(run.engine_path))) {
    const std::wstring text = L"Engine binary not found:\n" + run.engine_path + L"\n\nReinstall Vantrel.";
    ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR);
    return ExitCode::engine_missing;
  }
  // Read from the very text passed on to the Engine: what is cleaned and
  // recorded is the profile the Engine opens.
  run.plan = plan_launch(platform::split_arguments(run.pass_through_args), launcher_dir);
  if (run.plan.overlay_too_large) return overlay_too_large(run.plan.overlay_path);
  // A start whose Engine command line could be too long for Windows is not
  // begun: counted now, with every value discovery may add at its longest,
  // before the window, the cleaning and the records. So the host figures are
  // asked for here, before cleaning.
  run.host = query_host_figures(run.plan.overlay);
  const std::size_t longest = longest_engine_command_line(run.engine_path, run.pass_through_args, run.plan, run.host);
  if (longest > ENGINE_COMMAND_LINE_LIMIT) {
    ::MessageBoxW(nullptr, command_line_too_long_text(longest).c_str(), kCaption, MB_ICONERROR);
    return ExitCode::not_begun;
  }

  if (run.plan.path == StartPath::passthrough) {
    const DiscoveryOutcome nothing;
    run.clean_profile();
    run.write_result(RunStatus::passthrough, 0, ErrorCode::none, "", nothing);
    return run.start(SwitchForm::passthrough, nothing);
  }

  // Discovery: the window first, then the worker. The outcome is shared with
  // the worker, which may outlive this function after a cancel.
  const auto outcome = std::make_shared<DiscoveryOutcome>();
  {
    const std::unique_ptr<ProgressWindow> window =
        ProgressWindow::create(instance, make_progress_listings(build_overlay_listing(run.plan.overlay_text)));
    if (!window) return run.degraded("CreateProgressDialog returned null; spawned engine without discovery");
    ::ShowWindow(window->handle(), SW_SHOW);
    ::UpdateWindow(window->handle());

    auto context = std::make_unique<DiscoveryContext>();
    context->overlay = run.plan.overlay;
    context->error_record_path = record_path(run.plan.user_data_dir, ERROR_RECORD_NAME);
    context->endpoints = default_endpoints();
    context->hooks = system_worker_hooks();
    window->connect(context->hooks);
    context->outcome = outcome;
    win::ScopedHandle worker(::CreateThread(nullptr, 0, discovery_worker, context.get(), 0, nullptr));
    if (!worker.valid()) {
      // Without a worker nothing would ever close the window: close it now
      // and start as when the window cannot be created.
      ::DestroyWindow(window->handle());
      run_message_loop();
      return run.degraded("CreateThread failed; spawned engine without discovery");
    }
    context.release();  // the worker owns it now
    run_message_loop();
    // After a cancel the probe in flight is ended, not waited for; the worker
    // then stops without probing further or writing a record.
    if (window->cancelled()) end_curl_probes();
    ::WaitForSingleObject(worker.get(), 6000);
    if (window->cancelled()) return ExitCode::started;
  }  // the window's fonts and the worker's handle are released here

  if (outcome->blocked.load()) {
    run.write_result(RunStatus::blocked, outcome->elapsed_ms, ErrorCode::proxy_blocked,
                     "see .orlisk-launcher-error.json for details", *outcome);
    return ExitCode::blocked;
  }
  run.clean_profile();
  run.write_result(RunStatus::ok, outcome->elapsed_ms, ErrorCode::none, "", *outcome);
  return run.start(SwitchForm::discovery, *outcome);
}

}  // namespace

int run_launcher(void* instance, const wchar_t* command_line) {
  try {
    return static_cast<int>(run(static_cast<HINSTANCE>(instance), command_line));
  } catch (const std::bad_alloc&) {
    // Memory ran out elsewhere (the window's listing of a huge overlay on a
    // small machine): said, not a crash with an undocumented exit code.
    return static_cast<int>(overlay_too_large(L""));
  }
}

}  // namespace vantrel
