// The Linux side of the profile's start lock, for the native build: the
// folder's identity only (the programs that start profiles are Windows').
#include <sys/stat.h>

#include "base/text_encoding.h"
#include "platform/profile_lock.h"

namespace vantrel::platform {

std::string folder_identity(const FilePath& folder) {
  struct stat st{};
  if (::stat(to_fs_path(folder.native()).c_str(), &st) == 0) {
    return "file:" + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  }
  return "name:" + wide_to_utf8(folder.native());
}

ProfileStartLock::ProfileStartLock(const std::string& identity, std::chrono::milliseconds) {
  name_ = profile_lock_name(identity);
}

bool ProfileStartLock::engine_starting() const { return false; }

void ProfileStartLock::engine_created(void*) { release(); }

void ProfileStartLock::release() { mutex_ = 0; }

}  // namespace vantrel::platform
