// The Windows side of acting on entries by handle: NtCreateFile relative to
// the folder's handle (ntdll, looked up in the process, never loaded),
// listing and deleting through GetFileInformationByHandleEx and
// SetFileInformationByHandle.
#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <vector>

#include "platform/opened_entry.h"
#include "platform/platform.h"

namespace vantrel::platform {

struct OpenedEntryAccess {
  static HANDLE handle(const OpenedEntry& e) { return reinterpret_cast<HANDLE>(e.handle_); }
  static void set(OpenedEntry& e, HANDLE h, EntryKind kind, DWORD attributes, std::wstring name) {
    e.close();
    e.handle_ = reinterpret_cast<std::intptr_t>(h);
    e.kind_ = kind;
    e.attributes_ = attributes;
    e.name_ = std::move(name);
  }
  static DWORD attributes(const OpenedEntry& e) { return e.attributes_; }
  static const std::wstring& name(const OpenedEntry& e) { return e.name_; }
};

void OpenedEntry::close() {
  if (handle_ != NO_HANDLE) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = NO_HANDLE;
  kind_ = EntryKind::missing;
}

namespace {

using A = OpenedEntryAccess;

// The few NTSTATUS values the opens tell apart (ntstatus.h clashes with
// windows.h, so they are written here).
constexpr NTSTATUS status(unsigned long value) { return static_cast<NTSTATUS>(value); }
const NTSTATUS OBJECT_NAME_NOT_FOUND = status(0xC0000034), OBJECT_PATH_NOT_FOUND = status(0xC000003A),
               NO_SUCH_FILE = status(0xC000000F), NOT_A_DIRECTORY = status(0xC0000103),
               FILE_IS_A_DIRECTORY = status(0xC00000BA), TOO_MANY_OPENED_FILES = status(0xC000011F);

const NTSTATUS BUFFER_OVERFLOW = status(0x80000005);

using NtCreateFileFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                              PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryInformationFileFunction = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

// ntdll is in every process before its first instruction: it is looked up
// there, never searched for or loaded.
template <typename Function>
Function from_ntdll(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

NtCreateFileFunction nt_create_file() {
  static const auto function = from_ntdll<NtCreateFileFunction>("NtCreateFile");
  return function;
}

NtQueryInformationFileFunction nt_query_information_file() {
  static const auto function = from_ntdll<NtQueryInformationFileFunction>("NtQueryInformationFile");
  return function;
}

// FILE_ALL_INFORMATION (FileAllInformation, 18), which no SDK header of a
// Win32 program declares: an entry's attributes and its name in one call.
struct FileAllInformation {
  LARGE_INTEGER times[4];
  ULONG attributes;
  LARGE_INTEGER allocation_size, end_of_file;
  ULONG links;
  BOOLEAN delete_pending, directory;
  LARGE_INTEGER index;
  ULONG ea_size;
  ACCESS_MASK access;
  LARGE_INTEGER position;
  ULONG mode, alignment;
  ULONG name_length;  // in bytes
  WCHAR name[1];
};
constexpr ULONG FILE_ALL_INFORMATION_CLASS = 18;
static_assert(offsetof(FileAllInformation, name_length) == 96, "FILE_ALL_INFORMATION's layout");

ACCESS_MASK access_for(EntryKind kind, Access access) {
  ACCESS_MASK mask = SYNCHRONIZE | FILE_READ_ATTRIBUTES;
  if (kind == EntryKind::folder) mask |= FILE_LIST_DIRECTORY;
  if (access == Access::remove) mask |= DELETE | FILE_WRITE_ATTRIBUTES;
  return mask;
}

// The handle's own name, from the root of its volume ("\p\Default"; links
// resolved), or false when the system cannot give it.
bool own_name(HANDLE handle, std::wstring& name) {
  std::vector<unsigned char> buffer(sizeof(FILE_NAME_INFO) + 1024 * sizeof(wchar_t));
  for (;;) {
    auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
    if (::GetFileInformationByHandleEx(handle, FileNameInfo, info, static_cast<DWORD>(buffer.size()))) {
      name.assign(info->FileName, info->FileNameLength / sizeof(wchar_t));
      return true;
    }
    if (::GetLastError() != ERROR_MORE_DATA || buffer.size() > 256 * 1024) return false;
    buffer.resize(buffer.size() * 4);
  }
}

// Whether the handle's own name is the expected one: letter case aside,
// and trailing dots and blanks of each name aside. Wine gives its names as
// Windows' path rules would make them ("x." as "x", and "x.\y" as "x\y"),
// and resolves links; a name that differs only so is in the same folders,
// all of them real folders inside the profile.
bool same_name(const std::wstring& own, const std::wstring& expected) {
  const auto trimmed = [](const std::wstring& path) {
    std::wstring out;
    for (std::size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == L'\\') {
        while (!out.empty() && (out.back() == L'.' || out.back() == L' ')) out.pop_back();
        if (i < path.size()) out += L'\\';
      } else {
        out += path[i];
      }
    }
    return out;
  };
  const std::wstring a = trimmed(own);
  const std::wstring b = trimmed(expected);
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// Proves the entry just opened as `handle` and hands it to `out`: its
// attributes and tag make it a file or folder (not a link), and, when
// `expected_name` is given, the handle names it so. One call gives both the
// attributes and the name (an entry costs as few calls as can be: a wide
// profile has tens of thousands).
Opened prove(HANDLE handle, const std::wstring* expected_name, OpenedEntry& out) {
  const auto close = [handle](Opened why) {
    ::CloseHandle(handle);
    return why;
  };
  alignas(FileAllInformation) unsigned char buffer[sizeof(FileAllInformation) + 2048 * sizeof(WCHAR)];
  auto* all = reinterpret_cast<FileAllInformation*>(buffer);
  IO_STATUS_BLOCK io{};
  const NTSTATUS queried = nt_query_information_file()(handle, &io, buffer, sizeof buffer, FILE_ALL_INFORMATION_CLASS);
  if (queried < 0 && queried != BUFFER_OVERFLOW) return close(Opened::failed);
  // A name longer than the buffer (a deep tree): the two asked for one by
  // one, the attributes and tag first; nothing of an answer that did not fit
  // is trusted (under Wine its attributes did not hold).
  const bool long_name = queried == BUFFER_OVERFLOW ||
                         all->name_length / sizeof(WCHAR) > (sizeof buffer - offsetof(FileAllInformation, name)) / sizeof(WCHAR);
  DWORD attributes = all->attributes;
  DWORD tag = 0;
  if (long_name || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) return close(Opened::failed);
    attributes = info.FileAttributes;
    tag = info.ReparseTag;
  }
  const EntryKind kind = entry_kind_for(attributes, tag);
  if (kind == EntryKind::link) return close(Opened::not_itself);
  std::wstring name;
  if (long_name) {
    if (!own_name(handle, name)) return close(Opened::exhausted);
  } else {
    name.assign(all->name, all->name_length / sizeof(WCHAR));
  }
  if (expected_name != nullptr && !same_name(name, *expected_name)) return close(Opened::not_itself);
  // Below the root the name is kept as listed, so that each level is
  // compared in full (Wine would give "z " as "z" alone, and "z \\w" as is).
  A::set(out, handle, kind, attributes, expected_name != nullptr ? *expected_name : std::move(name));
  return Opened::yes;
}

}  // namespace

Opened open_folder(const FilePath& path, Access access, OpenedEntry& out) {
  if (nt_query_information_file() == nullptr) return Opened::failed;
  const HANDLE handle = ::CreateFileW(path.native().c_str(), access_for(EntryKind::folder, access),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Opened::missing;
    return error == ERROR_TOO_MANY_OPEN_FILES ? Opened::exhausted : Opened::failed;
  }
  const Opened opened = prove(handle, nullptr, out);
  if (opened != Opened::yes || out.kind() == EntryKind::folder) return opened;
  out.close();
  return Opened::other_kind;
}

Opened open_entry(const OpenedEntry& folder, const std::wstring& name, EntryKind kind, Access access,
                  OpenedEntry& out) {
  const NtCreateFileFunction create = nt_create_file();
  if (create == nullptr || nt_query_information_file() == nullptr || !folder.is_open() || name.empty() || name == L"." || name == L".." ||
      name.find(L'\\') != std::wstring::npos || name.size() > 32767) {
    return Opened::failed;
  }
  std::wstring expected = A::name(folder);
  if (expected.empty() || expected.back() != L'\\') expected += L'\\';
  expected += name;
  // A folder is tried first when either will do.
  for (const EntryKind as : {EntryKind::folder, EntryKind::file}) {
    if (kind != EntryKind::missing && kind != as) continue;
    UNICODE_STRING text{};
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes{};
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, A::handle(folder), nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    // FILE_OPEN_REPARSE_POINT: a link is opened as itself, never followed
    // (Windows; Wine follows it all the same, which the name shows).
    const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                          (as == EntryKind::folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    const NTSTATUS result = create(&handle, access_for(as, access), &attributes, &io, nullptr, 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, options,
                                   nullptr, 0);
    if (result >= 0) {
      const Opened opened = prove(handle, &expected, out);
      if (opened == Opened::yes && out.kind() != as) {
        out.close();
        return Opened::not_itself;
      }
      return opened;
    }
    if (result == NOT_A_DIRECTORY || result == FILE_IS_A_DIRECTORY) continue;
    if (result == OBJECT_NAME_NOT_FOUND || result == OBJECT_PATH_NOT_FOUND || result == NO_SUCH_FILE) {
      return Opened::missing;
    }
    return result == TOO_MANY_OPENED_FILES ? Opened::exhausted : Opened::failed;
  }
  return Opened::other_kind;
}

bool list_entries(const OpenedEntry& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  if (folder.kind() != EntryKind::folder) return false;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    if (!::GetFileInformationByHandleEx(A::handle(folder), FileIdBothDirectoryInfo, buffer.data(),
                                        static_cast<DWORD>(buffer.size()))) {
      return ::GetLastError() == ERROR_NO_MORE_FILES;
    }
    for (std::size_t at = 0;;) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + at);
      const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
      if (name != L"." && name != L"..") {
        // For a reparse point the listing gives its tag where extended attributes' size would be.
        const DWORD tag = (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? info->EaSize : 0;
        entries.push_back({name, entry_kind_for(info->FileAttributes, tag)});
      }
      if (info->NextEntryOffset == 0) break;
      at += info->NextEntryOffset;
    }
  }
}

namespace {

// FILE_DISPOSITION_INFO_EX and its flags, which mingw declares only for
// newer targets than this program's.
struct DispositionEx {
  DWORD flags;
};
constexpr DWORD DISPOSITION_DELETE = 0x1, DISPOSITION_POSIX_SEMANTICS = 0x2;
constexpr auto FILE_DISPOSITION_INFO_EX_CLASS = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

bool set_attributes(HANDLE handle, DWORD attributes) {
  FILE_BASIC_INFO basic{};  // times of 0 stay as they are
  basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return ::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

}  // namespace

bool delete_entry(const OpenedEntry& /*folder: the handle suffices*/, const std::wstring& /*name*/,
                  OpenedEntry& entry) {
  if (!entry.is_open()) return false;
  const HANDLE handle = A::handle(entry);
  const DWORD attributes = A::attributes(entry);
  // Windows removes no read-only file or folder: the attribute goes first.
  const bool read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (read_only && !set_attributes(handle, attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    entry.close();
    return false;
  }
  // POSIX semantics: the name goes at once, even while another program
  // still holds the file, so the folder above it can go too. Systems and
  // file systems without it answer one of these errors (Wine: 87).
  DispositionEx posix{DISPOSITION_DELETE | DISPOSITION_POSIX_SEMANTICS};
  bool deleted = ::SetFileInformationByHandle(handle, FILE_DISPOSITION_INFO_EX_CLASS, &posix, sizeof posix) != FALSE;
  if (!deleted) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) {
      FILE_DISPOSITION_INFO classic{};
      classic.DeleteFile = TRUE;
      deleted = ::SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic) != FALSE;
    }
  }
  if (!deleted && read_only) set_attributes(handle, attributes);
  entry.close();
  return deleted;
}

}  // namespace vantrel::platform
