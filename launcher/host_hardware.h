// The host's device-memory and processor figures, as switch values.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// Device memory in GiB as the browser reports it: 1, 2, 4, 8, 16 or 32, the
// first value whose threshold (three quarters of it) the total reaches, so a
// host reporting 15.8 GiB counts as 16.
int device_memory_for_total_bytes(std::uint64_t total_bytes);

// device_memory_for_total_bytes of the host as decimal digits; empty when the
// memory query fails. Queries the host on every call.
std::wstring host_device_memory();

// The host's logical processor count as decimal digits, uncapped; empty when
// the system reports 0.
std::wstring host_hardware_concurrency();

}  // namespace vantrel
