// Linux has no system converter with Windows' replacement rules: the
// portable ones serve.
#include "base/text_encoding.h"

namespace vantrel {

std::wstring utf8_to_wide(const std::string& utf8) { return utf8_to_utf16_portable(utf8); }
std::string wide_to_utf8(const std::wstring& wide) { return utf16_to_utf8_portable(wide); }

}  // namespace vantrel
