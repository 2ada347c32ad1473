// The Linux side of the platform layer. It lets the portable logic build and
// run natively, so its unit tests run with the sanitizers; paths keep the
// launcher's backslashes, which are turned into '/' on the way to the OS.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

#include "base/json_text.h"
#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel::platform {

// Linux takes paths as they are: no prefix, nothing made canonical.
FilePath file_path(const std::wstring& path) { return FilePath(path); }

std::filesystem::path to_fs_path(const std::wstring& path) {
  std::string utf8 = wide_to_utf8(path);
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return std::filesystem::path(utf8);
}

// Linux has no share modes: nothing is held open that way.
bool held_open_elsewhere(const FilePath&) { return false; }

bool path_exists(const FilePath& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(to_fs_path(path.native()), ec);
}

std::wstring local_app_data_dir() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') return utf8_to_wide(xdg);
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    return utf8_to_wide(std::string(home) + "/.local/share");
  }
  return std::wstring();
}

// Linux has no share modes: nothing is held, one try decides.
bool delete_file_waiting(const FilePath& path) {
  std::error_code ec;
  const auto p = to_fs_path(path.native());
  if (std::filesystem::is_directory(std::filesystem::symlink_status(p, ec))) return false;
  return std::filesystem::remove(p, ec);
}

bool same_path(const FilePath& a, const FilePath& b) {
  const auto trimmed = [](const std::wstring& p) { return !p.empty() && p.back() == L'\\' ? p.substr(0, p.size() - 1) : p; };
  return trimmed(a.native()) == trimmed(b.native());
}

bool move_replacing(const FilePath& from, const FilePath& to) {
  return std::rename(to_fs_path(from.native()).c_str(), to_fs_path(to.native()).c_str()) == 0;
}

bool system_random(std::uint64_t& out) {
  std::random_device source;
  out = (std::uint64_t{source()} << 32) ^ source();
  return true;
}

namespace {
EntryKind kind_of(const std::filesystem::file_status& status) {
  if (std::filesystem::is_symlink(status)) return EntryKind::link;
  if (!std::filesystem::exists(status)) return EntryKind::missing;
  return std::filesystem::is_directory(status) ? EntryKind::folder : EntryKind::file;
}
}  // namespace

EntryKind entry_kind(const FilePath& path) {
  std::error_code ec;
  return kind_of(std::filesystem::symlink_status(to_fs_path(path.native()), ec));
}

std::vector<FolderEntry> folder_entries(const FilePath& path) {
  std::vector<FolderEntry> entries;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(to_fs_path(path.native()), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code status_ec;
    entries.push_back({utf8_to_wide(it->path().filename().string()), kind_of(it->symlink_status(status_ec))});
  }
  return entries;
}

FileRead read_whole_file(const FilePath& path, std::string& out, std::string& why) {
  why.clear();
  std::error_code ec;
  const std::filesystem::path p = to_fs_path(path.native());
  if (path.empty() || !std::filesystem::exists(p, ec)) return FileRead::missing;
  if (std::filesystem::is_directory(p, ec)) {
    why = "it is a folder";
    return FileRead::folder;
  }
  try {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream contents;
    if (in.is_open()) contents << in.rdbuf();
    out = contents.str();
    if (in.is_open() && !in.bad()) return FileRead::read;
    why = "it cannot be read";
    return FileRead::unreadable;
  } catch (const std::exception&) {
    why = "it is too large to hold in memory";
    return FileRead::too_large;
  }
}

std::string utc_timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  gmtime_r(&now, &t);
  return format_utc_timestamp(static_cast<unsigned>(t.tm_year + 1900), static_cast<unsigned>(t.tm_mon + 1),
                              static_cast<unsigned>(t.tm_mday), static_cast<unsigned>(t.tm_hour),
                              static_cast<unsigned>(t.tm_min), static_cast<unsigned>(t.tm_sec));
}

bool visible_window_station() { return true; }

std::int64_t own_process_id() { return static_cast<std::int64_t>(::getpid()); }

std::string own_process_started() { return std::string(); }

bool remove_earlier_file(const FilePath& path) { return delete_file_waiting(path); }

void print(Stream stream, const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream == Stream::output ? stdout : stderr);
}

std::wstring own_folder() {
  std::error_code ec;
  return utf8_to_wide(std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string());
}

bool total_physical_memory(std::uint64_t& bytes) {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page_size = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page_size <= 0) return false;
  bytes = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
  return true;
}

std::uint32_t processor_count() { return std::thread::hardware_concurrency(); }

std::string windows_error_text(unsigned long code, const std::wstring& insert) {
  return describe_windows_error(code, std::wstring(), insert);
}

}  // namespace vantrel::platform
