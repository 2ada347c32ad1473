// The Windows side of the platform layer.
#include <windows.h>
#include <bcrypt.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "base/json_text.h"
#include "base/scoped_handle.h"
#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel::platform {

std::filesystem::path to_fs_path(const std::wstring& path) { return std::filesystem::path(path); }

FilePath file_path(const std::wstring& path) {
  if (path.empty()) return FilePath();
  // Exactly as written: the form passed on as it is, and the system's own
  // (NT) form, which names_folder() refuses.
  if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\??\\") == 0) return FilePath(path);
  std::wstring slashes = path;
  for (wchar_t& c : slashes) {
    if (c == L'/') c = L'\\';
  }
  // Asked for its size first: no fixed buffer limits the path.
  std::wstring full(::GetFullPathNameW(slashes.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = full.empty() ? 0 : ::GetFullPathNameW(slashes.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return FilePath();
  full.resize(length);
  return FilePath(long_path_form(full));
}

namespace {

// The error of opening `path` with `access` and `share` (0: it opened).
DWORD open_error(const FilePath& path, DWORD access, DWORD share) {
  const win::ScopedHandle file(::CreateFileW(path.native().c_str(), access, share, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return file.valid() ? 0 : ::GetLastError();
}

// Strips one final backslash.
std::wstring without_final_backslash(const std::wstring& path) {
  return !path.empty() && path.back() == L'\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

bool held_open_elsewhere(const FilePath& path) {
  const DWORD for_deleting = open_error(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  const DWORD for_reading = for_deleting == ERROR_ACCESS_DENIED
                                ? open_error(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE)
                                : 0;
  return held_by_answers(for_deleting, for_reading);
}

bool same_path(const FilePath& a, const FilePath& b) {
  const std::wstring x = without_final_backslash(a.native());
  const std::wstring y = without_final_backslash(b.native());
  return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(), static_cast<int>(y.size()), TRUE) ==
         CSTR_EQUAL;
}

bool path_exists(const FilePath& path) {
  return !path.empty() && ::GetFileAttributesW(path.native().c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring local_app_data_dir() {
  PWSTR folder = nullptr;
  const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder);
  // The folder's text is the caller's to free, also when the call failed.
  const std::wstring path = SUCCEEDED(result) && folder != nullptr ? folder : L"";
  ::CoTaskMemFree(folder);
  return path;
}

namespace {
// A failed call's error as an attempt at `path`, asking the system about the
// name when the error alone does not tell.
Attempt attempt_after(DWORD error, const FilePath& path) {
  if (error != ERROR_ACCESS_DENIED) return attempt_after_error(error, 0, 0);
  const DWORD attributes = ::GetFileAttributesW(path.native().c_str());
  return attempt_after_error(error, attributes, attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : 0);
}
}  // namespace

bool delete_file_waiting(const FilePath& path) {
  return retry_while_held([&path] {
    if (::DeleteFileW(path.native().c_str())) return Attempt::done;
    return attempt_after(::GetLastError(), path);
  });
}

bool move_replacing(const FilePath& from, const FilePath& to) {
  return retry_while_held([&] {
    if (::MoveFileExW(from.native().c_str(), to.native().c_str(), MOVEFILE_REPLACE_EXISTING)) {
      return Attempt::done;
    }
    return attempt_after(::GetLastError(), to);
  });
}

namespace {
struct ModuleTraits {
  static bool valid(HMODULE m) { return m != nullptr; }
  static void close(HMODULE m) { ::FreeLibrary(m); }
};
}  // namespace

bool system_random(std::uint64_t& out) {
  // bcrypt.dll is not one of Windows' Known DLLs: imported at load time, it
  // would be looked for in the program's own folder first, where anything
  // unpacked beside the program could stand in for it. Loaded from System32
  // only, when it is needed.
  const win::ScopedResource<HMODULE, ModuleTraits> bcrypt(
      ::LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!bcrypt.valid()) return false;
  using GenRandom = NTSTATUS(WINAPI*)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);
  // Through the generic function type, which converts to any other.
  const auto gen_random = reinterpret_cast<GenRandom>(
      reinterpret_cast<void (*)()>(::GetProcAddress(bcrypt.get(), "BCryptGenRandom")));
  return gen_random != nullptr && gen_random(nullptr, reinterpret_cast<PUCHAR>(&out), sizeof out,
                                             BCRYPT_USE_SYSTEM_PREFERRED_RNG) == 0;
}

namespace {
struct FindTraits {
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::FindClose(h); }
};

// The reparse tag of a listed entry (WIN32_FIND_DATAW keeps it in dwReserved0).
DWORD reparse_tag(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? data.dwReserved0 : 0;
}
}  // namespace

EntryKind entry_kind(const FilePath& path) {
  const DWORD attributes = ::GetFileAttributesW(path.native().c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return entry_kind_for(attributes, 0);
  }
  // A reparse point: its tag says whether it leads elsewhere. Listing the
  // path itself gives the entry's own data, the tag among them.
  WIN32_FIND_DATAW data{};
  const win::ScopedResource<HANDLE, FindTraits> find(::FindFirstFileW(path.native().c_str(), &data));
  return entry_kind_for(attributes, find.valid() ? reparse_tag(data) : 0);
}

std::vector<FolderEntry> folder_entries(const FilePath& path) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW data{};
  win::ScopedResource<HANDLE, FindTraits> find(::FindFirstFileW(path.child(L"*").native().c_str(), &data));
  if (!find.valid()) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({name, entry_kind_for(data.dwFileAttributes, reparse_tag(data))});
  } while (::FindNextFileW(find.get(), &data));
  return entries;
}

namespace {
// One try at reading a whole file: 0, or the system's error.
DWORD read_once(const FilePath& path, std::string& out) {
  win::ScopedHandle file(::CreateFileW(path.native().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return ::GetLastError();
  out.clear();
  char chunk[65536];
  for (DWORD got = 0;;) {
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return ::GetLastError();
    if (got == 0) return 0;
    out.append(chunk, got);
  }
}
}  // namespace

FileRead read_whole_file(const FilePath& path, std::string& out, std::string& why) {
  why.clear();
  if (path.empty()) return FileRead::missing;
  DWORD error = 0;
  try {
    retry_while_held([&] {
      error = read_once(path, out);
      if (error == 0) return Attempt::done;
      return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Attempt::held : Attempt::failed;
    });
  } catch (const std::bad_alloc&) {
    why = "it is too large to hold in memory";
    return FileRead::too_large;
  }
  switch (error) {
    case 0: return FileRead::read;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileRead::missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      why = "another program held it open without sharing, or locked it, for over a second";
      return FileRead::unreadable;
    case ERROR_ACCESS_DENIED: {
      const DWORD attributes = ::GetFileAttributesW(path.native().c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        why = "it is a folder";
        return FileRead::folder;
      }
      why = windows_error_text(error, path.shown());
      return FileRead::unreadable;
    }
    default: why = windows_error_text(error, path.shown());
  }
  return FileRead::unreadable;
}

std::string utc_timestamp() {
  SYSTEMTIME t{};
  ::GetSystemTime(&t);
  return format_utc_timestamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

bool visible_window_station() {
  USEROBJECTFLAGS flags{};
  const HWINSTA station = ::GetProcessWindowStation();
  // A station the call cannot describe counts as visible: boxes stay as they were.
  if (station == nullptr || !::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

std::int64_t own_process_id() { return static_cast<std::int64_t>(::GetCurrentProcessId()); }

std::string own_process_started() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  SYSTEMTIME t{};
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user) ||
      !::FileTimeToSystemTime(&created, &t)) {
    return std::string();
  }
  return format_utc_timestamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

bool remove_earlier_file(const FilePath& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(path.native().c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ::SetFileAttributesW(path.native().c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  }
  return delete_file_waiting(path);
}

void print(Stream stream, const std::string& utf8) {
  const HANDLE out = ::GetStdHandle(stream == Stream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  DWORD written = 0;
  if (::GetConsoleMode(out, &mode)) {
    const std::wstring wide = utf8_to_wide(utf8);
    ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    ::WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  }
}

std::wstring own_folder() {
  // Grown until the whole path fits: no fixed limit on where the program lies.
  std::wstring module(512, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) return std::wstring();
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);
  }
  const std::size_t slash = module.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : module.substr(0, slash);
}

bool total_physical_memory(std::uint64_t& bytes) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!::GlobalMemoryStatusEx(&status)) return false;
  bytes = status.ullTotalPhys;
  return true;
}

std::uint32_t processor_count() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

std::string windows_error_text(unsigned long code, const std::wstring& insert) {
  wchar_t* raw = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
  win::ScopedLocal<wchar_t*> owned(raw);
  return describe_windows_error(code, length > 0 && owned.valid() ? std::wstring(owned.get(), length) : std::wstring(),
                                insert);
}

}  // namespace vantrel::platform
