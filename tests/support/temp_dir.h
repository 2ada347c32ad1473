// A fresh folder per test, removed afterwards, and small file helpers. Paths
// are handed to the code under test in its own form: UTF-16 with
// backslashes (the Linux platform layer maps them to '/').
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel::testing {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("vantrel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder as the launcher writes paths.
  std::wstring wide() const {
#ifdef _WIN32
    return path_.wstring();
#else
    return utf8_to_wide(path_.string());
#endif
  }
  const std::filesystem::path& fs() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::filesystem::path fs_path(const std::wstring& wide) { return platform::to_fs_path(wide); }

inline void write_file(const std::filesystem::path& p, const std::string& content) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

inline std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace vantrel::testing
