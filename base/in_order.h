// Work done in parallel and handed on in order.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace vantrel {

// Runs make(0) ... make(count - 1) on at most `parallel` threads and hands
// each result to `emit` on the calling thread, in index order, as soon as it
// and all before it are done. Returns when all are emitted.
void run_in_order(std::size_t count, unsigned parallel, const std::function<std::string(std::size_t)>& make,
                  const std::function<void(const std::string&)>& emit);

}  // namespace vantrel
