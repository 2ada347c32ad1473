// The Windows side of the profile's start lock: a named mutex in the
// session's namespace, and an event duplicated into the Engine's process.
#include <windows.h>

#include <cstdio>

#include "base/scoped_handle.h"
#include "base/text_encoding.h"
#include "platform/profile_lock.h"

namespace vantrel::platform {

std::string folder_identity(const FilePath& folder) {
  const win::ScopedHandle handle(::CreateFileW(folder.native().c_str(), FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle.valid() && ::GetFileInformationByHandle(handle.get(), &info)) {
    char identity[64];
    std::snprintf(identity, sizeof identity, "file:%08lx:%08lx%08lx", info.dwVolumeSerialNumber,
                  info.nFileIndexHigh, info.nFileIndexLow);
    return identity;
  }
  // Not there yet: its name, in upper case as Windows compares names.
  std::wstring upper(folder.native().size(), L'\0');
  const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, folder.native().c_str(),
                                     static_cast<int>(folder.native().size()), upper.data(),
                                     static_cast<int>(upper.size()), nullptr, nullptr, 0);
  upper.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  while (!upper.empty() && upper.back() == L'\\') upper.pop_back();
  return "name:" + wide_to_utf8(upper);
}

ProfileStartLock::ProfileStartLock(const std::string& identity, std::chrono::milliseconds wait) {
  name_ = profile_lock_name(identity);
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name_.c_str());
  if (mutex == nullptr) return;  // no lock to be had: the start goes on as before there was one
  const DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    mutex_ = reinterpret_cast<std::intptr_t>(mutex);
    return;
  }
  waited_out_ = true;
  ::CloseHandle(mutex);
}

bool ProfileStartLock::engine_starting() const {
  if (name_.empty()) return false;
  const win::ScopedHandle marker(::OpenEventW(SYNCHRONIZE, FALSE, (name_ + L"-engine").c_str()));
  return marker.valid();
}

void ProfileStartLock::engine_created(void* process) {
  if (!name_.empty() && process != nullptr) {
    const win::ScopedHandle marker(::CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-engine").c_str()));
    HANDLE in_engine = nullptr;
    if (marker.valid()) {
      // Owned by the Engine from now on: the marker ends when it ends.
      ::DuplicateHandle(::GetCurrentProcess(), marker.get(), static_cast<HANDLE>(process), &in_engine, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
  }
  release();
}

void ProfileStartLock::release() {
  if (mutex_ == 0) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(std::exchange(mutex_, 0));
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

}  // namespace vantrel::platform
