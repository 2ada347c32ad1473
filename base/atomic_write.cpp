#include "base/atomic_write.h"

namespace vantrel {

std::wstring temporary_name_for(const std::wstring& target, std::uint64_t random) {
  std::wstring hex(16, L'0');
  for (std::size_t i = 16; i-- > 0; random >>= 4) hex[i] = L"0123456789abcdef"[random & 0xF];
  return target + L"." + hex + L".tmp";
}

}  // namespace vantrel
