// libFuzzer target: the extraction scanners against the literal std::regex
// patterns. Inputs longer than 2,000 bytes are cut, since the reference
// patterns themselves recurse once per character. Run with scripts/fuzz.sh.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/json_extract.h"
#include "support/regex_reference.h"

namespace {
void check(bool same) {
  if (!same) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 2000) size = 2000;
  const std::string text(reinterpret_cast<const char*>(data), size);
  using namespace vantrel;
  for (const std::string key : {"k", "proxy-server", "granular-storage-reset"}) {
    check(extract_string_field(text, key) == reference::string_field(text, key));
    check(extract_scalar_field(text, key) == reference::scalar_field(text, key));
    check(key_positions(text, key) == reference::key_positions(text, key));
    check(extract_bool_object(text, key) == reference::bool_object(text, key));
  }
  check(extract_switch_proxy(text, "chrome-command-line") == reference::switch_proxy(text));
  // The member walkers must simply finish.
  std::size_t members = 0;
  for_each_member(text, [&](const std::string&, const std::string& v) { members += is_enabled_value(v); });
  return 0;
}
