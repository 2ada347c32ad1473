// Files and folders acted on by handle. An entry is opened once, relative to
// its folder's handle, by the one name the folder's listing gave (never "..",
// never a name holding a backslash), proven through that handle to be that
// very entry, and then listed, entered or deleted through the handle: no path
// is named again after it was checked. So a program that renames an entry and
// puts a link in its place between the listing and the action (a sync client,
// anything running as the user) cannot lead the action elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace vantrel::platform {

// What an open is for: looking (listing, attributes), or removing as well.
enum class Access { look, remove };

// How an open went.
enum class Opened {
  yes,         // open, and proven to be the entry named
  missing,     // nothing of that name
  other_kind,  // a file where a folder was asked for, or the other way round
  // Not proven to be the entry named: a link (a reparse point that leads
  // elsewhere), or, under Wine, which follows every link it opens, an entry
  // whose handle names another place. Left alone.
  not_itself,
  // No handle can be had (too many open), or the system cannot name the
  // entry (under Wine past about 2,040 levels, where Unix path lengths end):
  // go no deeper.
  exhausted,
  failed,  // anything else (held by another program, denied): left alone
};

// One entry opened by handle (move-only; the handle is closed when the owner
// goes).
class OpenedEntry {
 public:
  OpenedEntry() = default;
  ~OpenedEntry() { close(); }
  OpenedEntry(OpenedEntry&& other) noexcept { *this = std::move(other); }
  OpenedEntry& operator=(OpenedEntry&& other) noexcept;
  OpenedEntry(const OpenedEntry&) = delete;
  OpenedEntry& operator=(const OpenedEntry&) = delete;

  bool is_open() const { return handle_ != NO_HANDLE; }
  EntryKind kind() const { return kind_; }  // file or folder while open
  void close();

 private:
  friend struct OpenedEntryAccess;  // each system's implementation
  static constexpr std::intptr_t NO_HANDLE = -1;
  std::intptr_t handle_ = NO_HANDLE;  // a HANDLE on Windows, a file descriptor on Linux
  EntryKind kind_ = EntryKind::missing;
  std::uint32_t attributes_ = 0;  // Windows: the attributes its handle gave
  // Windows: the name every entry opened below it must have: for a folder
  // opened by its path the handle's own name (links resolved), below it that
  // name and the names as listed. Linux: nothing.
  std::wstring name_;
  std::uint64_t device_ = 0, inode_ = 0;  // Linux: what stands under its name must still be this
};

// Opens the folder at `path` (a profile folder: a link there is followed,
// profiles are moved to other drives that way).
Opened open_folder(const FilePath& path, Access access, OpenedEntry& out);

// Opens the entry `name` of `folder` as a `kind` (file or folder;
// EntryKind::missing: either) and proves it is that entry: not a link (by
// its attributes and reparse tag, see entry_kind_for), and named as `folder`
// plus `name` when asked through its handle (letter case aside).
Opened open_entry(const OpenedEntry& folder, const std::wstring& name, EntryKind kind, Access access,
                  OpenedEntry& out);

// The entries of an opened folder, listed through its handle; false when
// it cannot be listed.
bool list_entries(const OpenedEntry& folder, std::vector<FolderEntry>& entries);

// Deletes `entry` (opened with Access::remove as `name` of `folder`)
// through its handle and closes it; a read-only entry loses that attribute
// first. A folder goes only when it is empty. False when it stays.
bool delete_entry(const OpenedEntry& folder, const std::wstring& name, OpenedEntry& entry);

}  // namespace vantrel::platform
