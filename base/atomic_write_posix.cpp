// The Linux side of the atomic file write, for the native build and its tests.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "base/atomic_write.h"
#include "base/text_encoding.h"

namespace vantrel {

bool write_file_atomic(const std::wstring& target, const std::string& content) {
  // The launcher's paths use backslashes; Linux wants slashes.
  std::string final_path = wide_to_utf8(target);
  for (char& c : final_path) {
    if (c == '\\') c = '/';
  }
  const std::string temp = final_path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool ok = done == content.size() && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || ::rename(temp.c_str(), final_path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vantrel

