#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <climits>

#include "overlay/text_encoding.h"
#include "platform/platform.h"
#include "platform/windows/scoped_handle.h"
#include "records/atomic_write.h"
#include "records/json_text.h"

namespace vantrel {

// The system's own converter, code page 65001 with flags 0: invalid input
// becomes U+FFFD rather than an error.
std::wstring utf8_to_wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return std::wstring();
  const int in_len = static_cast<int>(utf8.size());
  const int len = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_len, nullptr, 0);
  if (len <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(len), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in_len, out.data(), len);
  return out;
}

std::string wide_to_utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > static_cast<std::size_t>(INT_MAX)) return std::string();
  const int in_len = static_cast<int>(wide.size());
  const int len = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_len, nullptr, 0, nullptr, nullptr);
  if (len <= 0) return std::string();
  std::string out(static_cast<std::size_t>(len), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), in_len, out.data(), len, nullptr, nullptr);
  return out;
}

bool write_file_atomic(const std::wstring& target, const std::string& content) {
  if (content.size() > MAXDWORD) return false;
  const std::wstring temp = target + L".tmp";
  win::ScopedHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(content.size());
  const bool wrote = ::WriteFile(file.get(), content.data(), size, &written, nullptr) && written == size;
  // Flushed before the move: otherwise a power cut soon after could leave the
  // final name pointing at a file whose data never reached the disk.
  const bool flushed = wrote && ::FlushFileBuffers(file.get());
  file.reset();
  // Windows refuses to replace a read-only file; Wine would replace it, so
  // the launcher asks first and behaves the same on both.
  const DWORD existing = ::GetFileAttributesW(target.c_str());
  const bool read_only = existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0;
  if (!flushed || read_only || !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

namespace platform {

std::filesystem::path to_fs_path(const std::wstring& path) { return std::filesystem::path(path); }

bool path_exists(const std::wstring& path) { return !path.empty() && ::PathFileExistsW(path.c_str()) != FALSE; }

std::wstring local_app_data_dir() {
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buffer))) return std::wstring();
  return buffer;
}

bool delete_file(const std::wstring& path, bool even_read_only) {
  if (::DeleteFileW(path.c_str())) return true;
  if (!even_read_only) return false;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) return false;
  return ::SetFileAttributesW(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) &&
         ::DeleteFileW(path.c_str());
}

namespace {
EntryKind kind_of(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::link;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::folder : EntryKind::file;
}

struct FindTraits {
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { ::FindClose(h); }
};
}  // namespace

EntryKind entry_kind(const std::wstring& path) { return kind_of(::GetFileAttributesW(path.c_str())); }

std::vector<FolderEntry> folder_entries(const std::wstring& path) {
  std::vector<FolderEntry> entries;
  WIN32_FIND_DATAW data{};
  win::ScopedResource<HANDLE, FindTraits> find(::FindFirstFileW((path + L"\\*").c_str(), &data));
  if (!find.valid()) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") entries.push_back({name, kind_of(data.dwFileAttributes)});
  } while (::FindNextFileW(find.get(), &data));
  return entries;
}

bool remove_empty_folder(const std::wstring& path) { return ::RemoveDirectoryW(path.c_str()) != FALSE; }

bool remove_link(const std::wstring& path) {
  // A link to a folder (a junction or directory symbolic link) is removed
  // like a folder, which takes away the link and leaves its target alone.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return ::RemoveDirectoryW(path.c_str()) != FALSE;
  }
  return ::DeleteFileW(path.c_str()) != FALSE;
}

std::string utc_timestamp() {
  SYSTEMTIME t{};
  ::GetSystemTime(&t);
  return format_utc_timestamp(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

std::vector<std::wstring> own_arguments() {
  int count = 0;
  win::ScopedLocal<LPWSTR*> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
  std::vector<std::wstring> args;
  if (!argv.valid()) return args;
  for (int i = 1; i < count; ++i) args.emplace_back(argv.get()[i]);
  return args;
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

}  // namespace platform
}  // namespace vantrel
