#include "base/in_order.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel {

void run_in_order(std::size_t count, unsigned parallel, const std::function<std::string(std::size_t)>& make,
                  const std::function<void(const std::string&)>& emit) {
  std::vector<std::string> results(count);
  std::vector<bool> done(count, false);
  std::mutex mutex;
  std::condition_variable ready;
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      std::string result = make(i);
      const std::lock_guard<std::mutex> lock(mutex);
      results[i] = std::move(result);
      done[i] = true;
      ready.notify_all();
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < std::max(1u, parallel) && t < count; ++t) threads.emplace_back(work);
  for (std::size_t i = 0; i < count; ++i) {
    std::string result;
    {
      std::unique_lock<std::mutex> lock(mutex);
      ready.wait(lock, [&] { return done[i]; });
      result = std::move(results[i]);
    }
    emit(result);
  }
  for (std::thread& t : threads) t.join();
}

}  // namespace vantrel
