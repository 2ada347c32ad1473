#include "platform/platform.h"

#include <string>
#include <thread>

#include "base/text_encoding.h"

namespace vantrel::platform {

namespace {

bool starts_with(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

// "X:\" at the start of `text`.
bool drive_root(const std::wstring& text) {
  const wchar_t d = text.size() >= 3 ? text[0] : L'\0';
  return ((d >= L'A' && d <= L'Z') || (d >= L'a' && d <= L'z')) && text[1] == L':' && text[2] == L'\\';
}

// "UNC\" at the start of `text`, in any letter case.
bool unc(const std::wstring& text) {
  return text.size() >= 4 && (text[0] | 0x20) == L'u' && (text[1] | 0x20) == L'n' && (text[2] | 0x20) == L'c' &&
         text[3] == L'\\';
}

}  // namespace

std::wstring long_path_form(const std::wstring& full_path) {
  if (starts_with(full_path, L"\\\\?\\")) return full_path;
  if (starts_with(full_path, L"\\\\.\\")) {
    const std::wstring rest = full_path.substr(4);
    if (drive_root(rest)) return L"\\\\?\\" + rest;
    if (unc(rest)) return L"\\\\?\\UNC\\" + rest.substr(4);
    return full_path;
  }
  if (starts_with(full_path, L"\\\\")) return L"\\\\?\\UNC\\" + full_path.substr(2);
  return L"\\\\?\\" + full_path;
}

bool names_folder(const FilePath& path) {
  const std::wstring& p = path.native();
  // Windows' paths all begin so once made (file_path); a Linux path never does.
  if (!starts_with(p, L"\\\\") && !starts_with(p, L"\\??\\")) return !p.empty();
  if (!starts_with(p, L"\\\\?\\")) return false;
  const std::wstring rest = p.substr(4);
  return drive_root(rest) || (unc(rest) && rest.size() > 4) || starts_with(rest, L"Volume{");
}

std::wstring FilePath::shown() const {
  if (native_.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + native_.substr(8);
  if (native_.compare(0, 4, L"\\\\?\\") == 0) return native_.substr(4);
  return native_;
}

FilePath FilePath::child(const std::wstring& name) const {
  if (native_.empty()) return FilePath();
  return FilePath(native_.back() == L'\\' ? native_ + name : native_ + L"\\" + name);
}

bool retry_while_held(const std::function<Attempt()>& attempt, std::chrono::milliseconds budget) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const Attempt result = attempt();
    if (result != Attempt::held) return result == Attempt::done;
    if (std::chrono::steady_clock::now() - start >= budget) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool held_by_answers(unsigned long delete_open_error, unsigned long read_open_error) {
  constexpr unsigned long access_denied = 5, sharing_violation = 32;
  if (delete_open_error == sharing_violation) return true;
  // A lockfile the user may not delete answers "access denied" before any
  // sharing is looked at: only an open that needs no delete right tells.
  if (delete_open_error != access_denied) return false;
  return read_open_error == sharing_violation || read_open_error == access_denied;
}

Attempt attempt_after_error(unsigned long error, std::uint32_t attributes, unsigned long attributes_error) {
  constexpr unsigned long access_denied = 5, sharing_violation = 32, lock_violation = 33, delete_pending = 303;
  constexpr std::uint32_t invalid = 0xFFFFFFFF, folder_or_read_only = 0x10 | 0x1;
  if (error == sharing_violation || error == lock_violation || error == delete_pending) return Attempt::held;
  if (error != access_denied) return Attempt::failed;
  if (attributes == invalid) {
    return attributes_error == access_denied || attributes_error == delete_pending ? Attempt::held : Attempt::failed;
  }
  return (attributes & folder_or_read_only) == 0 ? Attempt::held : Attempt::failed;
}

EntryKind entry_kind_for(std::uint32_t attributes, std::uint32_t reparse_tag) {
  constexpr std::uint32_t invalid = 0xFFFFFFFF, directory = 0x10, reparse_point = 0x400;
  if (attributes == invalid) return EntryKind::missing;
  const bool folder = (attributes & directory) != 0;
  if ((attributes & reparse_point) == 0) return folder ? EntryKind::folder : EntryKind::file;
  constexpr std::uint32_t cloud = 0x9000001A, cloud_mask = 0x0000F000;  // IO_REPARSE_TAG_CLOUD, _CLOUD_1 to _F
  constexpr std::uint32_t data_only[] = {
      0x80000015,  // IO_REPARSE_TAG_FILE_PLACEHOLDER (OneDrive on Windows 8.1)
      0x80000013,  // IO_REPARSE_TAG_DEDUP
      0x80000017,  // IO_REPARSE_TAG_WOF (compressed system files)
      0x80000007,  // IO_REPARSE_TAG_SIS
      0xC0000004,  // IO_REPARSE_TAG_HSM
      0x80000006,  // IO_REPARSE_TAG_HSM2
      0x8000001E,  // IO_REPARSE_TAG_STORAGE_SYNC (Azure File Sync)
  };
  bool keeps_data = (reparse_tag & ~cloud_mask) == cloud;
  for (const std::uint32_t tag : data_only) keeps_data = keeps_data || reparse_tag == tag;
  if (!keeps_data) return EntryKind::link;
  return folder ? EntryKind::folder : EntryKind::file;
}

std::string describe_windows_error(unsigned long code, std::wstring text, const std::wstring& insert) {
  std::wstring filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 1 < text.size() && text[i + 1] >= L'1' && text[i + 1] <= L'9') {
      std::size_t end = i + 1;  // inserts run from %1 to %99
      while (end < text.size() && text[end] >= L'0' && text[end] <= L'9') ++end;
      if (text.compare(i, end - i, L"%1") == 0) filled += insert;
      i = end - 1;
    } else {
      if (text[i] != L'\r') filled += text[i] == L'\n' ? L' ' : text[i];
    }
  }
  while (!filled.empty() && filled.back() == L' ') filled.pop_back();
  const std::string number = "Windows error " + std::to_string(code);
  return filled.empty() ? number : number + " (" + wide_to_utf8(filled) + ")";
}

}  // namespace vantrel::platform
