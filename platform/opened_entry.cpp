#include "platform/opened_entry.h"

namespace vantrel::platform {

OpenedEntry& OpenedEntry::operator=(OpenedEntry&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = std::exchange(other.handle_, NO_HANDLE);
    kind_ = other.kind_;
    attributes_ = other.attributes_;
    name_ = std::move(other.name_);
    device_ = other.device_;
    inode_ = other.inode_;
  }
  return *this;
}

}  // namespace vantrel::platform
