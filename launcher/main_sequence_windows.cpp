// The Windows shell around the launch plan: the message boxes, the progress
// window and the discovery worker, the records, the hygiene and the Engine's
// start, in the order callers rely on (the result record is always written
// before the Engine starts). Every way a run ends goes through one function
// that follows the table of endings (records/endings.h).
#include "launcher/main_sequence.h"

#include <windows.h>

#include <memory>
#include <string>

#include "base/scoped_handle.h"
#include "base/text_encoding.h"
#include "discovery/curl_probe.h"
#include "discovery/worker_thread.h"
#include "launcher/engine_command_line.h"
#include "launcher/engine_launch.h"
#include "launcher/launch_plan.h"
#include "launcher/launcher_arguments.h"
#include "platform/atomic_write.h"
#include "platform/platform.h"
#include "platform/profile_lock.h"
#include "records/endings.h"
#include "records/records.h"
#include "ui/progress_window.h"
#include "vantrel/build_config.h"

namespace vantrel {

namespace {

// How a run ends: the caller's outcome file (written, when asked for, on
// every way a run ends, with what a box would say), then the box the table
// asks for, unless nobody waits for one (show_box).
struct Ender {
  std::wstring outcome_path;  // the --vantrel-outcome-file= argument, or empty: nothing is written
  ULONGLONG began = ::GetTickCount64();
  RunEnding ending;
  platform::ProfileStartLock lock;  // let go as the run ends, before any box

  Ender() {
    ending.launcher_pid = platform::own_process_id();
    ending.launcher_started = platform::own_process_started();
  }

  // Ends the run as `e`; `box_text` is the box's text when the table shows one.
  int end(Ending e, const std::wstring& box_text = std::wstring()) {
    const EndingRow& row = ending_row(e);
    ending.outcome = e;
    ending.exit_code = row.exit_code;
    ending.run_ms = ::GetTickCount64() - began;
    if (row.box) ending.box_text = wide_to_utf8(box_text);
    const bool written = !outcome_path.empty() && platform::write_file_atomic(platform::file_path(outcome_path),
                                                                             build_outcome_json(ending, VANTREL_VERSION_TEXT));
    lock.release();
    if (row.box && show_box(!outcome_path.empty(), written, platform::visible_window_station())) {
      ::MessageBoxW(nullptr, box_text.c_str(), L"Vantrel", MB_ICONERROR);
    }
    return row.exit_code;
  }
};

// How long a start waits for another start of the same profile (a
// discovery takes about 28 seconds at the most) before it goes on without
// cleaning.
constexpr std::chrono::seconds PROFILE_START_WAIT{30};

DiscoveredValues discovered_values(const DiscoveryOutcome& o) {
  return {o.ip, o.timezone, o.country_code, o.geo_lat, o.geo_lng, o.lang, o.accept_language, o.provider};
}

// One run's plan and the steps every path shares.
struct Run {
  Ender& told;
  LaunchPlan plan;

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
    // Another start of the profile created an Engine that is still starting
    // (its lockfile not yet taken), or still runs past the wait: what the
    // new browser writes must not be deleted under it.
    const bool starting = !plan.removals.empty() && (told.lock.waited_out() || told.lock.engine_starting());
    told.ending.cleaning = plan.profile_in_use && plan.cleaning_asked ? Cleaning::skipped_profile_in_use
                           : plan.removals.empty()                    ? Cleaning::not_asked
                           : starting                                 ? Cleaning::skipped_profile_starting
                                                                      : Cleaning::done;
    if (!starting) remove_planned(plan.profile.folder, plan.removals);
  }

  // Starts the Engine; when the system refuses, says so instead of reporting
  // a start that never happened.
  int start(SwitchForm form, const DiscoveryOutcome& outcome) {
    unsigned long error = 0;
    unsigned long pid = 0;
    const auto created = [this](void* process) { told.lock.engine_created(process); };
    if (!launch_engine(plan.engine_path, engine_command_line(plan, form, outcome), &error, &pid, created)) {
      told.ending.system_error = static_cast<std::int64_t>(error);
      told.ending.system_text = platform::windows_error_text(error, plan.engine_path);
      return told.end(Ending::engine_refused, ending_text(Ending::engine_refused, plan, error));
    }
    told.ending.engine_pid = pid;
    return told.end(Ending::started);
  }

  // The start without discovery when the progress window (or its worker) is
  // not available: record first, then hygiene, switches and the start. An
  // overlay that blocks on a failed discovery is blocked here too: without
  // its derived values the persona would go online with the host's time zone
  // and its real WebRTC address, which is what "block" exists to prevent.
  int degraded(const std::string& message) {
    const DiscoveryOutcome nothing;
    if (plan.overlay.on_proxy_fail == OnProxyFail::block) {
      write_result(RunStatus::blocked, 0, ErrorCode::dialog_init_failed, message, nothing);
      return told.end(Ending::blocked);
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

int run(HINSTANCE instance, const LauncherArguments& args, Ender& told) {
  // Read from the very text passed on to the Engine: what is cleaned and
  // recorded is the profile the Engine opens. The plan stops at the first
  // fact that ends the run before anything is begun (a missing Engine: no
  // overlay is read; an ambiguous profile: nothing is; a command line too
  // long, counted with every value discovery may add: nothing is cleaned).
  // One start of a profile at a time: taken before the in-use check.
  const ProfileChoice profile = choose_profile(args);
  if (!profile.folder.empty()) {
    told.lock = platform::ProfileStartLock(platform::folder_identity(profile.folder), PROFILE_START_WAIT);
  }
  Run run{told, plan_launch(args, profile, platform::own_folder())};
  if (const std::optional<Ending> ending = not_begun(run.plan)) {
    if (*ending == Ending::command_line_too_long) {
      told.ending.command_line_length = run.plan.longest_command_line;
      told.ending.command_line_limit = ENGINE_COMMAND_LINE_LIMIT;
    }
    return told.end(*ending, ending_text(*ending, run.plan));
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
        ProgressWindow::create(instance, make_progress_listings(run.plan.members));
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
    if (window->cancelled()) return told.end(Ending::cancelled);
  }  // the window's fonts and the worker's handle are released here

  told.ending.curl_exit_code = outcome->curl_exit_code;
  told.ending.discovery_error = outcome->error;
  if (outcome->blocked.load()) {
    run.write_result(RunStatus::blocked, outcome->elapsed_ms, ErrorCode::proxy_blocked,
                     "see .orlisk-launcher-error.json for details", *outcome);
    return told.end(Ending::blocked);
  }
  run.clean_profile();
  run.write_result(RunStatus::ok, outcome->elapsed_ms, ErrorCode::none, "", *outcome);
  return run.start(SwitchForm::discovery, *outcome);
}

}  // namespace

int run_launcher(void* instance, const wchar_t* command_line) {
  Ender told;
  try {
    // The launcher's own arguments end where the Engine's own begin ("--"):
    // a file named after it is the Engine's to open, never ours to write.
    const LauncherArguments args = read_launcher_arguments(command_line != nullptr ? command_line : L"");
    told.outcome_path = switch_value(args.own, OUTCOME_FILE_SWITCH);
    // Before anything else is decided: an earlier run's file must never read
    // as this run's (if it cannot be removed, the run goes on).
    if (!told.outcome_path.empty()) platform::remove_earlier_file(platform::file_path(told.outcome_path));
    return run(static_cast<HINSTANCE>(instance), args, told);
  } catch (const std::bad_alloc&) {
    // Memory ran out elsewhere (the window's listing of a huge overlay on a
    // small machine): said, not a crash with an undocumented exit code.
    return told.end(Ending::overlay_too_large, ending_text(Ending::overlay_too_large, LaunchPlan()));
  }
}

}  // namespace vantrel
