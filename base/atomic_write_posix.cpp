// The Linux side of the atomic file write, for the native build and its tests.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "base/atomic_write.h"
#include "base/text_encoding.h"

namespace vantrel {

bool write_file_atomic(const std::wstring& target, const std::string& content) {
  std::random_device source;
  const std::uint64_t random = (std::uint64_t{source()} << 32) ^ source();
  // The launcher's paths use backslashes; Linux wants slashes.
  std::string final_path = wide_to_utf8(target);
  std::string temp = wide_to_utf8(temporary_name_for(target, random));
  for (std::string* path : {&final_path, &temp}) {
    for (char& c : *path) {
      if (c == '\\') c = '/';
    }
  }
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
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
