// The Linux side of acting on entries by handle, for the native build and
// its tests: openat() relative to the folder's descriptor without following
// a link, and unlinkat() of the name only while it still stands for the
// entry that was opened.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text_encoding.h"
#include "platform/opened_entry.h"
#include "platform/platform.h"

namespace vantrel::platform {

struct OpenedEntryAccess {
  static int fd(const OpenedEntry& e) { return static_cast<int>(e.handle_); }
  static void set(OpenedEntry& e, int fd, const struct stat& st) {
    e.close();
    e.handle_ = fd;
    e.kind_ = S_ISDIR(st.st_mode) ? EntryKind::folder : EntryKind::file;
    e.device_ = static_cast<std::uint64_t>(st.st_dev);
    e.inode_ = static_cast<std::uint64_t>(st.st_ino);
  }
  static bool is(const OpenedEntry& e, const struct stat& st) {
    return e.device_ == static_cast<std::uint64_t>(st.st_dev) && e.inode_ == static_cast<std::uint64_t>(st.st_ino);
  }
};

void OpenedEntry::close() {
  if (handle_ != NO_HANDLE) ::close(static_cast<int>(handle_));
  handle_ = NO_HANDLE;
  kind_ = EntryKind::missing;
}

namespace {

using A = OpenedEntryAccess;

Opened after_failed_open(int error) {
  if (error == ENOENT) return Opened::missing;
  if (error == ELOOP) return Opened::not_itself;
  if (error == ENOTDIR) return Opened::other_kind;
  return error == EMFILE || error == ENFILE ? Opened::exhausted : Opened::failed;
}

}  // namespace

Opened open_folder(const FilePath& path, Access, OpenedEntry& out) {
  const int fd = ::open(to_fs_path(path.native()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return after_failed_open(errno);
  struct stat st{};
  ::fstat(fd, &st);
  A::set(out, fd, st);
  return Opened::yes;
}

Opened open_entry(const OpenedEntry& folder, const std::wstring& name, EntryKind kind, Access, OpenedEntry& out) {
  if (!folder.is_open() || name.empty() || name == L"." || name == L".." || name.find(L'\\') != std::wstring::npos ||
      name.find(L'/') != std::wstring::npos) {
    return Opened::failed;
  }
  const std::string utf8 = wide_to_utf8(name);
  struct stat listed{};
  if (::fstatat(A::fd(folder), utf8.c_str(), &listed, AT_SYMLINK_NOFOLLOW) != 0) return after_failed_open(errno);
  if (S_ISLNK(listed.st_mode)) return Opened::not_itself;
  const bool is_folder = S_ISDIR(listed.st_mode);
  if (kind != EntryKind::missing && (kind == EntryKind::folder) != is_folder) return Opened::other_kind;
  const int fd = ::openat(A::fd(folder), utf8.c_str(),
                          (is_folder ? O_RDONLY | O_DIRECTORY : O_PATH) | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return after_failed_open(errno);
  struct stat opened{};
  ::fstat(fd, &opened);
  A::set(out, fd, opened);
  if (!A::is(out, listed)) {
    out.close();
    return Opened::not_itself;
  }
  return Opened::yes;
}

bool list_entries(const OpenedEntry& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  if (folder.kind() != EntryKind::folder) return false;
  const int fd = ::openat(A::fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
  if (dir == nullptr) {
    if (fd >= 0) ::close(fd);
    return false;
  }
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st{};
    const bool known = ::fstatat(A::fd(folder), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    const EntryKind kind = !known              ? EntryKind::missing
                           : S_ISLNK(st.st_mode) ? EntryKind::link
                           : S_ISDIR(st.st_mode) ? EntryKind::folder
                                                 : EntryKind::file;
    if (known) entries.push_back({utf8_to_wide(name), kind});
  }
  ::closedir(dir);
  return true;
}

bool delete_entry(const OpenedEntry& folder, const std::wstring& name, OpenedEntry& entry) {
  if (!entry.is_open()) return false;
  const std::string utf8 = wide_to_utf8(name);
  struct stat now{};
  const bool same = ::fstatat(A::fd(folder), utf8.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && A::is(entry, now);
  const bool is_folder = entry.kind() == EntryKind::folder;
  entry.close();
  return same && ::unlinkat(A::fd(folder), utf8.c_str(), is_folder ? AT_REMOVEDIR : 0) == 0;
}

}  // namespace vantrel::platform
