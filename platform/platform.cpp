#include "platform/platform.h"

#include <thread>

#include "base/text_encoding.h"

namespace vantrel::platform {

std::wstring long_path_form(const std::wstring& full_path) {
  if (full_path.compare(0, 4, L"\\\\?\\") == 0 || full_path.compare(0, 4, L"\\\\.\\") == 0) return full_path;
  if (full_path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full_path.substr(2);
  return L"\\\\?\\" + full_path;
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
