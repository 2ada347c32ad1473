#include "discovery/outcome.h"

namespace vantrel {

DiscoveryOutcome& discovery_outcome() {
  static DiscoveryOutcome outcome;
  return outcome;
}

}  // namespace vantrel
