#include "overlay/overlay_file.h"

#include "platform/platform.h"

namespace vantrel {

std::wstring local_overlay_path() {
  const std::wstring folder = platform::local_app_data_dir();
  if (folder.empty()) return std::wstring();
  return folder + L"\\Orlisk\\command-line.json";
}

std::wstring locate_overlay_file(const std::wstring& user_data_dir) {
  if (!user_data_dir.empty()) {
    // Joined as given: a trailing backslash on the folder stays.
    std::wstring candidate = user_data_dir + L"\\command-line.json";
    if (platform::path_exists(candidate)) return candidate;
  }
  return local_overlay_path();
}

}  // namespace vantrel
