// The Windows side of the atomic file write.
#include <windows.h>

#include "base/scoped_handle.h"
#include "platform/atomic_write.h"
#include "platform/platform.h"

namespace vantrel::platform {

bool write_file_atomic(const FilePath& target, const std::string& content, const RandomSource& draw) {
  if (content.size() > MAXDWORD) return false;
  // CREATE_NEW: whatever already stands under a name (a link above all) is
  // never opened; a name that is taken makes the write draw another.
  win::ScopedHandle file;
  const FilePath temp = create_temporary(target, draw, [&file](const FilePath& name) {
    file.reset(::CreateFileW(name.native().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const DWORD error = ::GetLastError();
    if (file.valid()) return Created::yes;
    // A folder under the name answers "access denied".
    const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
    return taken ? Created::name_taken : Created::failed;
  });
  if (temp.empty()) return false;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(content.size());
  const bool wrote = ::WriteFile(file.get(), content.data(), size, &written, nullptr) && written == size;
  // Flushed before the move: otherwise a power cut soon after could leave the
  // final name pointing at a file whose data never reached the disk.
  const bool flushed = wrote && ::FlushFileBuffers(file.get());
  file.reset();
  // Windows refuses to replace a read-only file; Wine would replace it, so
  // the launcher asks first and behaves the same on both.
  const DWORD existing = ::GetFileAttributesW(target.native().c_str());
  const bool read_only = existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0;
  if (!flushed || read_only || !move_replacing(temp, target)) {
    // A virus scanner or an indexer may be looking at the new file: the
    // temporary file is waited for too, so that none is left behind.
    delete_file_waiting(temp);
    return false;
  }
  return true;
}

}  // namespace vantrel::platform
