// The Windows side of the atomic file write.
#include <windows.h>

#include "base/atomic_write.h"
#include "base/scoped_handle.h"

namespace vantrel {

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

}  // namespace vantrel
