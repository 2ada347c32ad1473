#include "webgl/catalogue.h"

#include "overlay/json_extract.h"
#include "overlay/text_encoding.h"
#include "platform/platform.h"

namespace vantrel {

namespace {
using std::size_t;
constexpr size_t npos = std::string::npos;
}  // namespace

WebglProfile parse_webgl_profile(const std::string& catalogue, const std::string& profile_name) {
  WebglProfile profile;
  if (profile_name.empty()) return profile;
  const size_t needle = catalogue.find("\"" + profile_name + "\"");
  if (needle == npos) return profile;
  const size_t colon = catalogue.find(':', needle + profile_name.size() + 2);
  if (colon == npos) return profile;
  const size_t open = catalogue.find('{', colon);
  if (open == npos) return profile;
  const size_t close = find_matching_bracket(catalogue, open, catalogue.size());
  if (close == npos) return profile;

  // Walk the members of the body, strictly between the braces.
  size_t i = open + 1;
  const size_t end = close;
  for (;;) {
    while (i < end && (is_json_space(catalogue[i]) || catalogue[i] == ',')) ++i;
    if (i >= end || catalogue[i] != '"') break;
    const size_t name_end = catalogue.find('"', i + 1);
    if (name_end == npos || name_end >= end) break;
    const std::string name = catalogue.substr(i + 1, name_end - i - 1);
    i = name_end + 1;
    while (i < end && (is_json_space(catalogue[i]) || catalogue[i] == ':')) ++i;
    if (i >= end) break;

    std::string value;
    const char first = catalogue[i];
    if (first == '"') {
      const size_t j = find_string_end(catalogue, i + 1);
      if (j == npos || j >= end) break;
      value = unescape_json_string(catalogue.substr(i + 1, j - i - 1));
      i = j + 1;
    } else if (first == '{' || first == '[') {
      const size_t j = find_matching_bracket(catalogue, i, end);
      if (j == npos) break;
      value = catalogue.substr(i, j - i + 1);
      i = j + 1;
    } else {
      size_t j = i;
      while (j < end && catalogue[j] != ',' && catalogue[j] != '}' && !is_json_space(catalogue[j])) ++j;
      value = catalogue.substr(i, j - i);
      i = j;
    }
    if (!name.empty() && name[0] != '_') profile[name] = value;
    if (i >= end) break;
  }
  return profile;
}

std::wstring render_webgl_switches(const WebglProfile& profile) {
  std::wstring out;
  for (const auto& [name, value] : profile) {
    if (!out.empty()) out += L' ';
    out += L"--" + utf8_to_wide(name) + L"=" + utf8_to_wide(value);
  }
  return out;
}

std::wstring load_webgl_profile_switches(const std::string& profile_name, const std::wstring& launcher_dir) {
  if (profile_name.empty()) return std::wstring();
  std::string catalogue;
  if (!platform::read_whole_file(launcher_dir + L"\\orlisk-webgl-profiles.json", /*text_mode=*/false, catalogue)) {
    return std::wstring();
  }
  return render_webgl_switches(parse_webgl_profile(catalogue, profile_name));
}

}  // namespace vantrel
