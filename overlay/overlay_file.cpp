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
    if (platform::path_exists(platform::file_path(candidate))) return candidate;
  }
  return local_overlay_path();
}

std::string crlf_to_lf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') out += text[i];
  }
  return out;
}

bool read_overlay_text(const std::wstring& path, std::string& text, std::string& why) {
  std::string bytes;
  if (!platform::read_whole_file(platform::file_path(path), bytes, why)) return false;
  text = crlf_to_lf(bytes);
  return true;
}

}  // namespace vantrel
