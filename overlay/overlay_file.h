// Locating and reading the persona overlay file, command-line.json.
#pragma once

#include <string>

namespace vantrel {

// The local application-data folder + "\Orlisk\command-line.json"; empty when
// the folder cannot be named. Neither the folder nor the file is checked.
std::wstring local_overlay_path();

// `user_data_dir` + "\command-line.json" when the folder is named and that
// path exists (a directory of that name counts), else local_overlay_path().
std::wstring locate_overlay_file(const std::wstring& user_data_dir);

}  // namespace vantrel
