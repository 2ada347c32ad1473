#include "overlay/overlay_file.h"

#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel {

std::wstring local_overlay_path() {
  const std::wstring folder = platform::local_app_data_dir();
  if (folder.empty()) return std::wstring();
  return folder + L"\\Orlisk\\command-line.json";
}

std::vector<std::wstring> overlay_candidates(const std::wstring& user_data_dir) {
  std::vector<std::wstring> paths;
  if (!user_data_dir.empty()) paths.push_back(user_data_dir + L"\\command-line.json");
  const std::wstring local = local_overlay_path();
  if (!local.empty()) paths.push_back(local);
  return paths;
}

std::wstring locate_overlay_file(const std::wstring& user_data_dir) {
  for (const std::wstring& candidate : overlay_candidates(user_data_dir)) {
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

bool read_overlay_text(const std::wstring& path, std::string& text, std::string& why, std::size_t& not_utf8_at) {
  std::string bytes;
  not_utf8_at = std::string::npos;
  if (!platform::read_whole_file(platform::file_path(path), bytes, why)) return false;
  not_utf8_at = first_not_utf8(bytes);
  text = crlf_to_lf(bytes);
  return true;
}

}  // namespace vantrel
