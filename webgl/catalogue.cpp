#include "webgl/catalogue.h"

#include "base/json_extract.h"
#include "base/text_encoding.h"
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

  // The members of the object, brackets included: names as written, string
  // values decoded, anything else as raw text.
  for_each_member(
      catalogue.substr(open, close - open + 1),
      [&profile](const std::string& name, const std::string& raw) {
        if (name.empty() || name[0] == '_') return;
        const bool quoted = raw.size() >= 2 && raw.front() == '"';
        profile[name] = quoted ? unescape_json_string(raw.substr(1, raw.size() - 2)) : raw;
      },
      /*escapes_in_keys=*/false);
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
  std::string why;
  const platform::FilePath path = platform::file_path(launcher_dir).child(L"orlisk-webgl-profiles.json");
  if (platform::read_whole_file(path, catalogue, why) != platform::FileRead::read) return std::wstring();
  return render_webgl_switches(parse_webgl_profile(catalogue, profile_name));
}

}  // namespace vantrel
