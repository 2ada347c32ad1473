// The discovery worker as a Windows thread.
#pragma once

#include "discovery/worker.h"

namespace vantrel {

// The hooks of the real system: curl probe, Sleep, PostMessageW to the
// progress window, DeleteFileW, write_file_atomic, the UTC clock.
WorkerHooks system_worker_hooks();

// Thread procedure for CreateThread: `parameter` is a heap DiscoveryContext,
// which the worker deletes. Returns 0.
unsigned long __stdcall discovery_worker(void* parameter);

}  // namespace vantrel
