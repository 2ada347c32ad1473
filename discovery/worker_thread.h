// The discovery worker as a Windows thread.
#pragma once

#include "discovery/worker.h"

namespace vantrel {

// The hooks of the real system: the curl probe, the record's delete and
// atomic write (both waiting briefly for a reader) and the UTC clock. `report` and `cancelled` are the
// caller's to fill.
WorkerHooks system_worker_hooks();

// Thread procedure for CreateThread: `parameter` is a heap DiscoveryContext,
// which the worker deletes on every path. Returns 0.
unsigned long __stdcall discovery_worker(void* parameter);

}  // namespace vantrel
