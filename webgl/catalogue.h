// WebGL profiles: named sets of Engine switches in orlisk-webgl-profiles.json
// beside the launcher.
#pragma once

#include <map>
#include <string>

namespace vantrel {

// Switch name to value (UTF-8), ordered by name byte-wise.
using WebglProfile = std::map<std::string, std::string>;

// The members of the object that follows the first occurrence of the quoted
// `profile_name` and a colon anywhere in `catalogue`. String values are
// decoded (unescape_json_string), objects and arrays kept as raw text,
// scalars as their token. Names that are empty or begin with '_' are left
// out; a repeated name keeps its last value. Empty when the name is empty or
// not found, or the object never closes.
WebglProfile parse_webgl_profile(const std::string& catalogue, const std::string& profile_name);

// "--NAME=VALUE" for each member, in map order, separated by single blanks;
// values inserted exactly as decoded, without added quoting.
std::wstring render_webgl_switches(const WebglProfile& profile);

// The switches of the named profile from `launcher_dir` +
// "\orlisk-webgl-profiles.json"; empty when the name is empty (the file is
// then not opened), the file is unreadable or the profile yields nothing.
std::wstring load_webgl_profile_switches(const std::string& profile_name, const std::wstring& launcher_dir);

}  // namespace vantrel
