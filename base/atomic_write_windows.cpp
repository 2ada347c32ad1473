// The Windows side of the atomic file write.
#include <windows.h>
#include <bcrypt.h>

#include "base/atomic_write.h"
#include "base/scoped_handle.h"

namespace vantrel {

bool write_file_atomic(const std::wstring& target, const std::string& content) {
  if (content.size() > MAXDWORD) return false;
  // A name nobody can guess or plant beforehand, and CREATE_NEW: whatever
  // already stands under a name (a link above all) is never opened.
  std::uint64_t random = 0;
  if (::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&random), sizeof random,
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    return false;
  }
  const std::wstring temp = temporary_name_for(target, random);
  win::ScopedHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
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
  if (!flushed || read_only ||
      !::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vantrel
