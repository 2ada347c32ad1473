// The few operating-system services that the portable logic needs, behind
// plain functions. Windows implementations live in platform_windows.cpp, the
// Linux ones (used by the native build and its tests) in platform_posix.cpp.
// No <windows.h> here: portable code includes only this header.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::platform {

// A path as the file calls below take it: absolute and, on Windows, in the
// form the system passes on exactly as written ("\\?\C:\p\x",
// "\\?\UNC\server\share\x"): no name loses a final dot or blank (so a
// listed "x." is never taken for a link "x" beside it), "/" and ".." mean
// nothing, and there is no 260-character limit. Only file_path() (once, for
// a path from outside) and child() (a name appended) make one, so the
// compiler sees that no other path reaches a file call. People are shown
// shown(), the usual form.
class FilePath {
 public:
  FilePath() = default;  // no path: every file call on it fails
  const std::wstring& native() const { return native_; }
  bool empty() const { return native_.empty(); }
  // Without the prefix: "C:\p\x", "\\server\share\x".
  std::wstring shown() const;
  // This path, a backslash and `name` (one or more names joined by
  // backslashes, none "." or ".."), never made canonical again.
  FilePath child(const std::wstring& name) const;
  // This path with `text` added to its last name ("x.json" + ".tmp").
  FilePath with_suffix(const std::wstring& text) const { return FilePath(native_.empty() ? native_ : native_ + text); }
  bool operator==(const FilePath& other) const { return native_ == other.native_; }

 private:
  explicit FilePath(std::wstring native) : native_(std::move(native)) {}
  friend FilePath file_path(const std::wstring& path);
  std::wstring native_;
};

// The FilePath of a path from outside (an argument, the overlay's folder, a
// system folder): on Windows "/" turned into "\", made absolute and
// canonical once (GetFullPathNameW: a final blank or dot goes, as in the
// folder that Windows and the Engine open), then prefixed (long_path_form); a
// path that already begins with "\\?\" or "\??\" is taken exactly as it is.
// On Linux the path as it is. Empty for an empty path.
FilePath file_path(const std::wstring& path);

// A full Windows path in the form passed on as written: "C:\x" becomes
// "\\?\C:\x", "\\server\share\x" becomes "\\?\UNC\server\share\x", and so do
// a drive and a share written as a device path ("\\.\C:\x", "\\.\UNC\s\h"),
// which Windows would otherwise rename again on every call. Any other
// device ("\\.\NUL", "\\.\pipe\x") and a path that begins with "\\?\" stay
// as they are.
std::wstring long_path_form(const std::wstring& full_path);

// Whether `path` can name a folder: a drive's or a share's path (or, on
// Windows, a volume's "\\?\Volume{...}\"), not a device ("\\.\NUL",
// "\\.\COM1", "\\.\pipe\x", "\??\...", a bare volume "\\?\C:"): nothing is
// read, cleaned or written in a device.
bool names_folder(const FilePath& path);

// Whether two paths are one, as the system compares names (on Windows
// without letter case), a final backslash aside.
bool same_path(const FilePath& a, const FilePath& b);

// A filesystem path for a UTF-16 path string (converted to UTF-8 on Linux).
std::filesystem::path to_fs_path(const std::wstring& path);

// How reading a whole file went.
enum class FileRead {
  read,
  missing,     // no such file (or folder above it)
  folder,      // a folder stands under the name
  too_large,   // too large to hold in memory
  unreadable,  // denied, held by another program past the wait, a read error
};

// Reads a whole file as it is, byte for byte. A file that another program
// holds open without sharing, or has locked (sync clients and virus scanners
// do, for a moment), is tried again for about a second. Unless it was read,
// `out` is unspecified and `why` says why in a few words (empty when there
// is no such file).
FileRead read_whole_file(const FilePath& path, std::string& out, std::string& why);

// Whether another program holds the file at `path` open so that it may be
// neither written nor deleted meanwhile (a running Chromium-based Engine holds
// its profile's "lockfile" so, sharing only reading). Asks for delete access,
// and when that is denied (a lockfile the user may not delete) asks again
// for reading, sharing reading and deletion; writes nothing. False when the
// file is missing or free.
bool held_open_elsewhere(const FilePath& path);

// The same from the system's answers: the error of the open for deletion
// (0: it opened) and, when that was access denied, the error of the open for
// reading. Portable, so that rules Wine does not enforce can be tested.
bool held_by_answers(unsigned long delete_open_error, unsigned long read_open_error);

// Whether a file or a directory exists at `path`.
bool path_exists(const FilePath& path);

// The current user's local (not roaming) application-data folder
// (SHGetKnownFolderPath), or empty when the system cannot name it. On Linux: $XDG_DATA_HOME or ~/.local/share.
std::wstring local_app_data_dir();

// What one try at a file operation came to: done, failed for good, or
// refused for now because another program holds the file (a caller reading
// it without delete sharing, a virus scanner, a sync client).
enum class Attempt { done, held, failed };

// What a failed try at replacing or deleting a file comes to, from the
// system's answers: the call's error, and, when that was access denied, what
// the attribute call said of the name (its attributes, or 0xFFFFFFFF and its
// error). Sharing and lock violations are holds; so is a name pending
// deletion (ERROR_DELETE_PENDING, or access denied from the attribute call:
// FAT, exFAT, SMB and Windows 10 before 1903 answer so); and access denied
// to a plain file (not a folder, not read-only), which is what a reader
// without delete sharing causes.
Attempt attempt_after_error(unsigned long error, std::uint32_t attributes, unsigned long attributes_error);

// Runs `attempt` until it is done or failed; while it is held, tries again
// every 50 ms for about `budget` in all. True when done. An attempt that is
// done (or failed) at once is made once and costs nothing more.
bool retry_while_held(const std::function<Attempt()>& attempt,
                      std::chrono::milliseconds budget = std::chrono::milliseconds(1000));

// Deletes one file (a record, a temporary file), waiting for about a second
// while another program holds it. False when it was not deleted (also when
// there is none, or it is a folder).
bool delete_file_waiting(const FilePath& path);

// Moves the file `from` to `to` in the same folder, replacing a file there
// (the directory entry, not what a link there points to); waits for about a
// second while another program holds `to`. False when it was not moved. The
// move itself is not forced to disk (MOVEFILE_WRITE_THROUGH flushes only a
// move that copies); write_file_atomic flushes the data before it.
bool move_replacing(const FilePath& from, const FilePath& to);

// 64 bits from the system's cryptographic random source; false when it
// cannot be had.
bool system_random(std::uint64_t& out);

// What is at a path, looked at without following a link there (see
// entry_kind_for).
enum class EntryKind { missing, file, folder, link };
EntryKind entry_kind(const FilePath& path);

// What an entry is by its Windows attributes and reparse tag (0xFFFFFFFF:
// nothing there). A reparse point is a link (left alone, never entered)
// unless its tag is one known to keep the data in place and lead nowhere
// else: cloud files (OneDrive and other sync clients), deduplicated,
// compressed (WOF), single-instance, hierarchical-storage and Azure File Sync
// files; those are the file or folder they are. Any other tag, tag 0 among
// them (Wine reports every link so), and the name surrogates (symbolic links,
// junctions, mount points) are links.
EntryKind entry_kind_for(std::uint32_t attributes, std::uint32_t reparse_tag);

struct FolderEntry {
  std::wstring name;
  EntryKind kind;
};
// The entries of a folder (not "." and ".."); empty when it cannot be listed.
std::vector<FolderEntry> folder_entries(const FilePath& path);

// The current UTC time as "YYYY-MM-DDTHH:MM:SSZ".
std::string utc_timestamp();

// "Windows error N (text)" for a failed Windows call: the system's own text
// for `code` in the user's language (FormatMessageW), its trailing line break
// removed, each "%1" in it filled with `insert` (the file concerned, when
// there is one) and any other insert left out. "Windows error N" alone when
// the system has no text (and on Linux).
std::string windows_error_text(unsigned long code, const std::wstring& insert = std::wstring());

// The same from the system's text as it came: the portable part, testable.
std::string describe_windows_error(unsigned long code, std::wstring system_text, const std::wstring& insert);

// Whether this process runs on a window station someone can see (WinSta0
// of a logged-on user): a message box elsewhere waits for a click nobody
// can give. True on Linux.
bool visible_window_station();

// This process's id, and its creation time in UTC as
// "YYYY-MM-DDTHH:MM:SS.mmmZ" (empty when the system does not say): what
// the caller got from CreateProcess, to tell its own run's outcome file.
std::int64_t own_process_id();
std::string own_process_started();

// Removes a file this run is to write anew (the caller's outcome file), so
// that an earlier run's cannot be read as this one's: a read-only one loses
// that attribute first (the caller named it for the launcher to write), and
// a brief hold is waited for as the records wait. False when it stays (or
// there was none).
bool remove_earlier_file(const FilePath& path);

// Writes UTF-8 text to the standard output or error: to a console as UTF-16,
// which shows every character whatever the console's code page; to a file or
// pipe as it is.
enum class Stream { output, error };
void print(Stream stream, const std::string& utf8);

// The folder of the running program (without a trailing separator).
std::wstring own_folder();

// Total physical memory in bytes; false when the query fails.
bool total_physical_memory(std::uint64_t& bytes);

// Number of logical processors the system reports (may be 0).
std::uint32_t processor_count();

}  // namespace vantrel::platform
