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
// canonical once (GetFullPathNameW), then prefixed (long_path_form); a path
// that already begins with "\\?\" is taken exactly as it is. On Linux the
// path as it is. Empty for an empty path.
FilePath file_path(const std::wstring& path);

// A full Windows path in the form passed on as written: "C:\x" becomes
// "\\?\C:\x", "\\server\share\x" becomes "\\?\UNC\server\share\x";
// one that begins with "\\?\" or "\\.\" stays as it is.
std::wstring long_path_form(const std::wstring& full_path);

// A filesystem path for a UTF-16 path string (converted to UTF-8 on Linux).
std::filesystem::path to_fs_path(const std::wstring& path);

// Reads a whole file as it is, byte for byte. A file that another program
// holds open without sharing, or has locked (sync clients and virus scanners
// do, for a moment), is tried again for about a second. False when it cannot
// be read (also when it is too large to hold in memory): `out` is then
// unspecified and `why` says why in a few words, or stays empty when there
// is no such file.
bool read_whole_file(const FilePath& path, std::string& out, std::string& why);

// read_whole_file's `why` for a file too large to hold in memory.
inline constexpr const char* TOO_LARGE_TO_HOLD = "it is too large to hold in memory";

// Whether another program holds the file at `path` open so that it may be
// neither written nor deleted meanwhile (a running Chromium-based Engine holds
// its profile's "lockfile" so, sharing only reading). Asks for delete access
// and writes nothing. False when the file is missing or free.
bool held_open_elsewhere(const FilePath& path);

// Whether a file or a directory exists at `path`.
bool path_exists(const FilePath& path);

// The current user's local (not roaming) application-data folder
// (SHGetKnownFolderPath), or empty when the system cannot name it. On Linux: $XDG_DATA_HOME or ~/.local/share.
std::wstring local_app_data_dir();

// Deletes one file; false when it was not deleted (missing, locked, a folder).
// With `even_read_only`, a read-only file loses that attribute and goes too.
// One try: what another program holds stays (profile hygiene leaves an item
// in use in place).
bool delete_file(const FilePath& path, bool even_read_only = false);

// What one try at a file operation came to: done, failed for good, or
// refused for now because another program holds the file (a caller reading
// it without delete sharing, a virus scanner, a sync client).
enum class Attempt { done, held, failed };

// Runs `attempt` until it is done or failed; while it is held, tries again
// every 50 ms for about `budget` in all. True when done. An attempt that is
// done (or failed) at once is made once and costs nothing more.
bool retry_while_held(const std::function<Attempt()>& attempt,
                      std::chrono::milliseconds budget = std::chrono::milliseconds(1000));

// Deletes one file (a record) as delete_file does, but waits for about a
// second while another program holds it. False when it was not deleted (also
// when there is none).
bool delete_file_waiting(const FilePath& path);

// Moves the file `from` to `to`, replacing a file there (the directory entry,
// not what a link there points to), written through to disk; waits for about
// a second while another program holds `to`. False when it was not moved.
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

// Removes an empty folder; false when it is not removed.
bool remove_empty_folder(const FilePath& path);

// The current UTC time as "YYYY-MM-DDTHH:MM:SSZ".
std::string utc_timestamp();

// `remainder` (a command line after its program name, as the runtime hands
// it to wWinMain) split into arguments by the system's rules
// (CommandLineToArgvW, behind a placeholder program name, so that the first
// argument is read as an argument and an empty remainder gives none). So a
// program reads its arguments from the same text it passes on.
std::vector<std::wstring> split_arguments(const std::wstring& remainder);

// "Windows error N (text)" for a failed Windows call: the system's own text
// for `code` in the user's language (FormatMessageW), its trailing line break
// removed, each "%1" in it filled with `insert` (the file concerned, when
// there is one) and any other insert left out. "Windows error N" alone when
// the system has no text (and on Linux).
std::string windows_error_text(unsigned long code, const std::wstring& insert = std::wstring());

// The same from the system's text as it came: the portable part, testable.
std::string describe_windows_error(unsigned long code, std::wstring system_text, const std::wstring& insert);

// The folder of the running program (without a trailing separator).
std::wstring own_folder();

// Total physical memory in bytes; false when the query fails.
bool total_physical_memory(std::uint64_t& bytes);

// Number of logical processors the system reports (may be 0).
std::uint32_t processor_count();

}  // namespace vantrel::platform
