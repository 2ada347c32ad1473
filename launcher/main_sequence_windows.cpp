// The Windows shell around the launch plan: the missing-Engine message box,
// the progress window and the discovery worker, the records, the hygiene and
// the Engine's start, in the order callers rely on (the result record is
// always written before the Engine starts).
#include "launcher/main_sequence.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/atomic_write.h"
#include "base/scoped_handle.h"
#include "discovery/curl_probe.h"
#include "discovery/worker_thread.h"
#include "launcher/engine_command_line.h"
#include "launcher/engine_launch.h"
#include "launcher/launch_plan.h"
#include "launcher/launcher_arguments.h"
#include "platform/platform.h"
#include "records/records.h"
#include "ui/progress_window.h"
#include "vantrel/build_config.h"

namespace vantrel {

namespace {

constexpr const wchar_t* kCaption = L"Vantrel";

// An error box with no owner window; returns when it is dismissed.
void error_box(const std::wstring& text) { ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR); }

// The text for an overlay too large to read in memory (its path when known):
// nothing is started, never with the defaults, which would drop a "block".
std::wstring overlay_too_large_text(const std::wstring& path) {
  return L"The persona overlay is too large to read" + (path.empty() ? L"." : L":\n" + path) +
         L"\n\nNothing was started.";
}

// The text for a start whose profile folder the Engine would read otherwise
// than the launcher.
std::wstring profile_ambiguous_text(const ProfileChoice& profile) {
  const auto named = [](const std::wstring& folder, const wchar_t* none) { return folder.empty() ? std::wstring(none) : folder; };
  return L"The browser would open another profile folder than the launcher reads from its arguments.\n\nLauncher: " +
         named(profile.written, L"(none)") + L"\nBrowser: " + named(profile.engine_reads, L"(its default profile)") +
         L"\n\nName the profile folder once, as --user-data-dir=<folder>. Nothing was started.";
}

// The caller's outcome file: written, when asked for, on every way a run
// ends, before any message box.
struct OutcomeFile {
  std::wstring path;  // the --vantrel-outcome-file= argument, or empty: nothing is written
  ULONGLONG began = ::GetTickCount64();
  RunEnding ending;

  ExitCode end(RunOutcome outcome, ExitCode code) {
    if (path.empty()) return code;
    ending.outcome = outcome;
    ending.exit_code = static_cast<int>(code);
    ending.run_ms = ::GetTickCount64() - began;
    platform::write_file_atomic(platform::file_path(path), build_outcome_json(ending, VANTREL_VERSION_TEXT));
    return code;
  }
};

DiscoveredValues discovered_values(const DiscoveryOutcome& o) {
  return {o.ip, o.timezone, o.country_code, o.geo_lat, o.geo_lng, o.lang, o.accept_language, o.provider};
}

// One run's fixed inputs and the steps every path shares.
struct Run {
  std::wstring engine_path;
  OutcomeFile& told;
  LaunchPlan plan;
  HostFigures host;

  void write_result(RunStatus status, std::uint64_t elapsed_ms, ErrorCode error, const std::string& message,
                    const DiscoveryOutcome& outcome) {
    const platform::FilePath path = record_path(plan.profile.folder, RESULT_RECORD_NAME);
    told.ending.result_record_written =
        !path.empty() && platform::write_file_atomic(path, build_result_record_json(platform::utc_timestamp(), status,
                                                                                    elapsed_ms, error, message,
                                                                                    discovered_values(outcome)));
    told.ending.status = status;
    told.ending.error = error;
  }

  void clean_profile() {
    bool asked = plan.overlay.close_previous_tabs;
    for (const auto& category : plan.overlay.granular_storage_reset) asked = asked || category.second;
    told.ending.cleaning = plan.profile_in_use && asked ? Cleaning::skipped_profile_in_use
                           : plan.removals.empty()     ? Cleaning::not_asked
                                                       : Cleaning::done;
    remove_planned(plan.profile.folder, plan.removals);
  }

  // Starts the Engine; when the system refuses, says so instead of reporting
  // a start that never happened.
  ExitCode start(SwitchForm form, const DiscoveryOutcome& outcome) {
    const std::wstring line = engine_command_line(engine_path, plan, form, outcome, host);
    unsigned long error = 0;
    unsigned long pid = 0;
    if (launch_engine(engine_path, line, &error, &pid)) {
      told.ending.engine_pid = pid;
      return told.end(RunOutcome::started, ExitCode::started);
    }
    told.end(RunOutcome::engine_refused, ExitCode::engine_missing);
    error_box(engine_start_failure_text(engine_path, error));
    return ExitCode::engine_missing;
  }

  // The start without discovery when the progress window (or its worker) is
  // not available: record first, then hygiene, switches and the start. An
  // overlay that blocks on a failed discovery is blocked here too: without
  // its derived values the persona would go online with the host's time zone
  // and its real WebRTC address, which is what "block" exists to prevent.
  ExitCode degraded(const std::string& message) {
    const DiscoveryOutcome nothing;
    if (plan.overlay.on_proxy_fail == OnProxyFail::block) {
      write_result(RunStatus::blocked, 0, ErrorCode::dialog_init_failed, message, nothing);
      return told.end(RunOutcome::blocked, ExitCode::blocked);
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

ExitCode run(HINSTANCE instance, const LauncherArguments& args, OutcomeFile& told) {
  const std::wstring launcher_dir = platform::own_folder();
  Run run{engine_path_for(launcher_dir), told, {}, {}};
  if (!platform::path_exists(platform::file_path(run.engine_path))) {
    told.end(RunOutcome::engine_missing, ExitCode::engine_missing);
    error_box(L"Engine binary not found:\n" + run.engine_path + L"\n\nReinstall Vantrel.");
    return ExitCode::engine_missing;
  }
  // Read from the very text passed on to the Engine: what is cleaned and
  // recorded is the profile the Engine opens. When the Engine would read its
  // arguments as naming another profile, nothing is read, cleaned or written.
  run.plan = plan_launch(args, choose_profile(args), launcher_dir);
  if (run.plan.profile.ambiguous) {
    told.end(RunOutcome::profile_ambiguous, ExitCode::not_begun);
    error_box(profile_ambiguous_text(run.plan.profile));
    return ExitCode::not_begun;
  }
  if (run.plan.overlay_too_large) {
    told.end(RunOutcome::overlay_too_large, ExitCode::not_begun);
    error_box(overlay_too_large_text(run.plan.overlay_path.shown()));
    return ExitCode::not_begun;
  }
  // A start whose Engine command line could be too long for Windows is not
  // begun: counted now, with every value discovery may add at its longest,
  // before the window, the cleaning and the records. So the host figures are
  // asked for here, before cleaning.
  run.host = query_host_figures(run.plan.overlay);
  const std::size_t longest = longest_engine_command_line(run.engine_path, run.plan, run.host);
  if (exceeds_command_line_limit(longest)) {
    told.end(RunOutcome::command_line_too_long, ExitCode::not_begun);
    error_box(command_line_too_long_text(longest));
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
    context->error_record_path = record_path(run.plan.profile.folder, ERROR_RECORD_NAME);
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
    if (window->cancelled()) return told.end(RunOutcome::cancelled, ExitCode::started);
  }  // the window's fonts and the worker's handle are released here

  told.ending.curl_exit_code = outcome->curl_exit_code;
  if (outcome->blocked.load()) {
    run.write_result(RunStatus::blocked, outcome->elapsed_ms, ErrorCode::proxy_blocked,
                     "see .orlisk-launcher-error.json for details", *outcome);
    return told.end(RunOutcome::blocked, ExitCode::blocked);
  }
  run.clean_profile();
  run.write_result(RunStatus::ok, outcome->elapsed_ms, ErrorCode::none, "", *outcome);
  return run.start(SwitchForm::discovery, *outcome);
}

}  // namespace

int run_launcher(void* instance, const wchar_t* command_line) {
  OutcomeFile told;
  try {
    // The launcher's own arguments end where the Engine's own begin ("--"):
    // a file named after it is the Engine's to open, never ours to write.
    const LauncherArguments args = read_launcher_arguments(command_line != nullptr ? command_line : L"");
    told.path = switch_value(args.own, OUTCOME_FILE_SWITCH);
    return static_cast<int>(run(static_cast<HINSTANCE>(instance), args, told));
  } catch (const std::bad_alloc&) {
    // Memory ran out elsewhere (the window's listing of a huge overlay on a
    // small machine): said, not a crash with an undocumented exit code.
    told.end(RunOutcome::overlay_too_large, ExitCode::not_begun);
    error_box(overlay_too_large_text(L""));
    return static_cast<int>(ExitCode::not_begun);
  }
}

}  // namespace vantrel
