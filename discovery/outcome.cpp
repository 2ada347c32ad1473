#include "discovery/outcome.h"

namespace vantrel {

DiscoveryOutcome& discovery_outcome() {
  // Never destroyed: after a cancel the launcher exits while the worker may
  // still be finishing a probe and about to write here; exit-time
  // destructors must not free what that thread still uses. The system
  // reclaims it with the process.
  static DiscoveryOutcome* const outcome = new DiscoveryOutcome();
  return *outcome;
}

}  // namespace vantrel
