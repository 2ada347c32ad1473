// The Linux side of the atomic file write, for the native build and its tests.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/atomic_write.h"
#include "platform/platform.h"

namespace vantrel::platform {

bool write_file_atomic(const FilePath& target, const std::string& content, const RandomSource& draw) {
  int fd = -1;
  const FilePath temp_path = create_temporary(target, draw, [&fd](const FilePath& name) {
    fd = ::open(to_fs_path(name.native()).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    return fd >= 0 ? Created::yes : errno == EEXIST ? Created::name_taken : Created::failed;
  });
  if (temp_path.empty()) return false;
  const std::string temp = to_fs_path(temp_path.native()).string();
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
