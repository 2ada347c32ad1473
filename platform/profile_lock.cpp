#include "platform/profile_lock.h"

#include <utility>

namespace vantrel::platform {

std::wstring profile_lock_name(const std::string& identity) {
  std::uint64_t hash = 0xCBF29CE484222325u;  // FNV-1a
  for (const char c : identity) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
  std::wstring name = L"Local\\vantrel-profile-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  return name;
}

ProfileStartLock& ProfileStartLock::operator=(ProfileStartLock&& other) noexcept {
  if (this != &other) {
    release();
    mutex_ = std::exchange(other.mutex_, 0);
    waited_out_ = other.waited_out_;
    name_ = std::move(other.name_);
  }
  return *this;
}

}  // namespace vantrel::platform
