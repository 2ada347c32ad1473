// The Linux side of the atomic file write, for the native build and its tests.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/atomic_write.h"
#include "platform/platform.h"

namespace vantrel::platform {

bool write_file_atomic(const FilePath& target, const std::string& content, const RandomSource& draw) {
  FilePath temp_path;
  std::string temp;
  int fd = -1;
  for (int tries = 0; tries < TEMPORARY_NAMES_TRIED && fd < 0; ++tries) {
    std::uint64_t random = 0;
    if (!draw(random)) return false;
    temp_path = temporary_name_for(target, random);
    temp = to_fs_path(temp_path.native()).string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = done == content.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || !move_replacing(temp_path, target)) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vantrel::platform
