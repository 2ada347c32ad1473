#include "launcher/host_hardware.h"

#include "platform/platform.h"

namespace vantrel {

int device_memory_for_total_bytes(std::uint64_t total_bytes) {
  // Exact unsigned-to-double conversion, then bytes to GiB (times 2^-30).
  const double gib = static_cast<double>(total_bytes) * 9.313225746154785e-10;
  if (gib >= 24) return 32;
  if (gib >= 12) return 16;
  if (gib >= 6) return 8;
  if (gib >= 3) return 4;
  if (gib >= 1.5) return 2;
  return 1;
}

std::wstring host_device_memory() {
  std::uint64_t total = 0;
  if (!platform::total_physical_memory(total)) return std::wstring();
  return std::to_wstring(device_memory_for_total_bytes(total));
}

std::wstring host_hardware_concurrency() {
  const std::uint32_t count = platform::processor_count();
  if (count == 0) return std::wstring();
  return std::to_wstring(count);
}

}  // namespace vantrel
