// The discovery worker's thread procedure and the real system's hooks.
#include <windows.h>

#include <memory>

#include "platform/atomic_write.h"
#include "discovery/curl_probe.h"
#include "discovery/worker_thread.h"
#include "platform/platform.h"

namespace vantrel {

WorkerHooks system_worker_hooks() {
  WorkerHooks hooks;
  hooks.probe = run_curl_probe;
  hooks.delete_file = [](const platform::FilePath& path) { platform::delete_file_waiting(path); };
  hooks.write_file = [](const platform::FilePath& path, const std::string& content) {
    platform::write_file_atomic(path, content);
  };
  hooks.timestamp = platform::utc_timestamp;
  return hooks;
}

unsigned long __stdcall discovery_worker(void* parameter) {
  const std::unique_ptr<DiscoveryContext> context(static_cast<DiscoveryContext*>(parameter));
  run_discovery(*context);
  return 0;
}

}  // namespace vantrel
