#include "records/record_paths.h"

#include "launcher/command_line.h"
#include "overlay/text_encoding.h"
#include "platform/platform.h"

namespace vantrel {

std::wstring record_path_for(const std::wstring& user_data_dir, const std::wstring& local_app_data,
                             const char* name) {
  const std::wstring wide_name = utf8_to_wide(name);
  if (!user_data_dir.empty()) return user_data_dir + L"\\" + wide_name;
  if (!local_app_data.empty()) return local_app_data + L"\\Orlisk\\" + wide_name;
  return std::wstring();
}

namespace {
std::wstring record_path(const char* name) {
  const std::wstring profile = get_user_data_dir();
  // The application-data folder is asked for only when no profile is named.
  return record_path_for(profile, profile.empty() ? platform::local_app_data_dir() : std::wstring(), name);
}
}  // namespace

std::wstring make_error_record_path() { return record_path(ERROR_RECORD_NAME); }
std::wstring make_result_record_path() { return record_path(RESULT_RECORD_NAME); }

}  // namespace vantrel
