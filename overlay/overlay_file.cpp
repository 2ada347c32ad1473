#include "overlay/overlay_file.h"

#include "base/text_encoding.h"
#include "platform/platform.h"

namespace vantrel {

platform::FilePath local_overlay_path() {
  return platform::file_path(platform::local_app_data_dir()).child(L"Orlisk").child(L"command-line.json");
}

std::vector<platform::FilePath> overlay_candidates(const platform::FilePath& profile) {
  std::vector<platform::FilePath> paths;
  if (!profile.empty()) paths.push_back(profile.child(L"command-line.json"));
  const platform::FilePath local = local_overlay_path();
  if (!local.empty()) paths.push_back(local);
  return paths;
}

platform::FilePath locate_overlay_file(const platform::FilePath& profile) {
  for (const platform::FilePath& candidate : overlay_candidates(profile)) {
    if (platform::path_exists(candidate)) return candidate;
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

platform::FileRead read_overlay_text(const platform::FilePath& path, std::string& text, std::string& why,
                                     std::size_t& not_utf8_at) {
  std::string bytes;
  not_utf8_at = std::string::npos;
  const platform::FileRead read = platform::read_whole_file(path, bytes, why);
  if (read != platform::FileRead::read) return read;
  not_utf8_at = first_not_utf8(bytes);
  text = crlf_to_lf(bytes);
  return read;
}

}  // namespace vantrel
