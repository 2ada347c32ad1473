#include "platform/atomic_write.h"

#include "platform/platform.h"

namespace vantrel::platform {

std::wstring temporary_name_for(const std::wstring& target, std::uint64_t random) {
  std::wstring hex(16, L'0');
  for (std::size_t i = 16; i-- > 0; random >>= 4) hex[i] = L"0123456789abcdef"[random & 0xF];
  return target + L"." + hex + L".tmp";
}

bool write_file_atomic(const std::wstring& target, const std::string& content) {
  // A name nobody can guess or plant beforehand.
  std::uint64_t random = 0;
  return system_random(random) && write_file_atomic(target, content, random);
}

}  // namespace vantrel::platform
