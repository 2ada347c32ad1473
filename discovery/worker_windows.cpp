// The discovery worker's thread procedure: run_discovery with the real probe,
// pauses, posts to the progress window and file operations.
#include <windows.h>

#include <memory>

#include "discovery/curl_probe.h"
#include "discovery/worker.h"
#include "discovery/worker_thread.h"
#include "platform/platform.h"
#include "records/atomic_write.h"
#include "ui/progress_window.h"

namespace vantrel {

WorkerHooks system_worker_hooks() {
  WorkerHooks hooks;
  hooks.probe = run_curl_probe;
  hooks.sleep = [](unsigned ms) { ::Sleep(ms); };
  hooks.post = [](unsigned message, std::size_t row) {
    // Fails silently once the window is gone (the user closed it).
    ::PostMessageW(progress_window(), message, static_cast<WPARAM>(row), 0);
  };
  hooks.delete_file = [](const std::wstring& path) { ::DeleteFileW(path.c_str()); };
  hooks.write_file = [](const std::wstring& path, const std::string& content) { write_file_atomic(path, content); };
  hooks.timestamp = platform::utc_timestamp;
  return hooks;
}

unsigned long __stdcall discovery_worker(void* parameter) {
  // The worker owns its context from the moment it starts, on every path.
  const std::unique_ptr<DiscoveryContext> context(static_cast<DiscoveryContext*>(parameter));
  run_discovery(*context, default_endpoints(), system_worker_hooks(), discovery_outcome(), progress_steps());
  return 0;
}

}  // namespace vantrel
