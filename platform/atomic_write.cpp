#include "platform/atomic_write.h"

#include "platform/platform.h"

namespace vantrel::platform {

FilePath temporary_name_for(const FilePath& target, std::uint64_t random) {
  std::wstring hex(16, L'0');
  for (std::size_t i = 16; i-- > 0; random >>= 4) hex[i] = L"0123456789abcdef"[random & 0xF];
  return target.with_suffix(L"." + hex + L".tmp");
}

FilePath create_temporary(const FilePath& target, const RandomSource& draw,
                          const std::function<Created(const FilePath& temp)>& create) {
  for (int tries = 0; tries < TEMPORARY_NAMES_TRIED; ++tries) {
    std::uint64_t random = 0;
    if (!draw(random)) return FilePath();
    const FilePath temp = temporary_name_for(target, random);
    const Created created = create(temp);
    if (created == Created::yes) return temp;
    if (created == Created::failed) return FilePath();
  }
  return FilePath();
}

bool write_file_atomic(const FilePath& target, const std::string& content) {
  // Names nobody can guess or plant beforehand.
  return write_file_atomic(target, content, system_random);
}

}  // namespace vantrel::platform
