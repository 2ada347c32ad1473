// Where the run records live.
#pragma once

#include <string>

namespace vantrel {

inline constexpr const char* ERROR_RECORD_NAME = ".orlisk-launcher-error.json";
inline constexpr const char* RESULT_RECORD_NAME = ".orlisk-launcher-result.json";

// `user_data_dir` + "\" + name when the profile folder is named, else
// `local_app_data` + "\Orlisk\" + name, else empty.
std::wstring record_path_for(const std::wstring& user_data_dir, const std::wstring& local_app_data,
                             const char* name);

// The records' paths for this process (its own "--user-data-dir=" argument,
// then the local application-data folder).
std::wstring make_error_record_path();
std::wstring make_result_record_path();

}  // namespace vantrel
