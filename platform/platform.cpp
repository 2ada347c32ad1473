#include "platform/platform.h"

#include <thread>

namespace vantrel::platform {

bool retry_while_held(const std::function<Attempt()>& attempt, std::chrono::milliseconds budget) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const Attempt result = attempt();
    if (result != Attempt::held) return result == Attempt::done;
    if (std::chrono::steady_clock::now() - start >= budget) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace vantrel::platform
