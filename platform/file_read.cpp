#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace vantrel::platform {

bool read_whole_file(const std::wstring& path, bool text_mode, std::string& out) {
  if (path.empty()) return false;
  try {
    std::ifstream in(to_fs_path(path), text_mode ? std::ios::in : std::ios::in | std::ios::binary);
    if (!in.is_open()) return false;
    std::ostringstream contents;
    contents << in.rdbuf();
    out = contents.str();
    return !in.bad();
  } catch (const std::exception&) {
    return false;  // std::bad_alloc for a file larger than memory allows
  }
}

}  // namespace vantrel::platform
