// A fresh folder per test, removed afterwards, and small file helpers. Paths
// are handed to the code under test in its own form: UTF-16 with
// backslashes (the Linux platform layer maps them to '/').
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel::testing {

class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = driver_folder().empty() ? std::filesystem::temp_directory_path() : driver_folder();
    path_ /= "vantrel-test-" + std::to_string(stamp) + "-" + std::to_string(counter++);
    std::filesystem::create_directories(path_);
#ifdef _WIN32
    // Written as the system passes it on, so that a test's own names ending
    // in a dot or a blank are made as written.
    verbatim_ = L"\\\\?\\" + std::filesystem::absolute(path_).wstring();
#else
    verbatim_ = path_;
#endif
  }
  // Under Wine the program that runs the tests removes their folders: the
  // runtime's remove_all, not knowing Wine's links, loops forever on one.
  ~TempDir() {
    std::error_code ignored;
    if (driver_folder().empty()) std::filesystem::remove_all(path_, ignored);
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
  // The folder for the test's own file calls (on Windows in the "\\?\" form).
  const std::filesystem::path& fs() const { return verbatim_; }

 private:
  // The folder of tests/e2e/unit_tests_under_wine.py, which makes links for
  // the tests and removes their folders afterwards; empty elsewhere.
  static std::filesystem::path driver_folder() {
#ifdef _WIN32
    if (const char* folder = std::getenv("VANTREL_LINK_REQUESTS")) return folder;
#endif
    return {};
  }

  std::filesystem::path path_;
  std::filesystem::path verbatim_;
};

inline std::filesystem::path fs_path(const std::wstring& wide) { return platform::to_fs_path(wide); }

// `p` with the system's separators: a "\\?\" path takes "/" literally.
inline std::filesystem::path native(std::filesystem::path p) { return p.make_preferred(); }

inline void write_file(const std::filesystem::path& p, const std::string& content) {
  std::filesystem::create_directories(native(p).parent_path());
  std::ofstream(native(p), std::ios::binary) << content;
}

inline std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(native(p), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Makes a symbolic link at `link` to `target` (a folder or a file) from the
// Linux side, where the shipped code must meet one: natively with symlink(2);
// under Wine, where a Windows program cannot make one (CreateSymbolicLinkW
// answers success and makes nothing), by asking the program that runs the
// unit tests there (tests/e2e/unit_tests_under_wine.py), which serves the
// folder named by VANTREL_LINK_REQUESTS. A link that cannot be made fails
// the test; it is never skipped.
inline void make_link(const std::filesystem::path& target, const std::filesystem::path& link) {
#ifdef _WIN32
  static std::atomic<int> counter{0};
  const char* folder = std::getenv("VANTREL_LINK_REQUESTS");
  ASSERT_NE(folder, nullptr) << "run under Wine through tests/e2e/unit_tests_under_wine.py, which makes links";
  const std::filesystem::path request = std::filesystem::path(folder) / std::to_string(counter++);
  write_file(request.string() + ".part",
             wide_to_utf8(native(target).wstring()) + "\n" + wide_to_utf8(native(link).wstring()));
  std::filesystem::rename(request.string() + ".part", request.string() + ".req");
  const std::filesystem::path done = request.string() + ".done";
  for (int i = 0; i < 3000 && !std::filesystem::exists(done); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(read_file(done), "ok") << "no link " << link << " to " << target;
#else
  std::error_code ec;
  std::filesystem::create_symlink(native(target), native(link), ec);
  ASSERT_FALSE(ec) << "no link " << link << " to " << target << ": " << ec.message();
#endif
}

}  // namespace vantrel::testing
