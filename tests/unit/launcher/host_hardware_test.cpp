#include "launcher/host_hardware.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vantrel {
namespace {

TEST(DeviceMemory, Thresholds) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const std::pair<double, int> cases[] = {{0, 1}, {1.49, 1}, {1.5, 2}, {2.99, 2}, {3, 4}, {5.99, 4}, {6, 8},
                                          {7.9, 8}, {12, 16}, {15.8, 16}, {23.99, 16}, {24, 32}, {1e9, 32}};
  for (const auto& [gib, expected] : cases) {
    EXPECT_EQ(device_memory_for_total_bytes(static_cast<std::uint64_t>(gib * GiB)), expected) << gib;
  }
  EXPECT_EQ(device_memory_for_total_bytes(UINT64_MAX), 32);
}

}  // namespace
}  // namespace vantrel
