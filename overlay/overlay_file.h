// Locating and reading the persona overlay file, command-line.json.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantrel {

// The local application-data folder's "Orlisk\command-line.json"; empty
// when the folder cannot be named. Neither the folder nor the file is checked.
platform::FilePath local_overlay_path();

// Where the overlay is looked for, in order: the profile folder's
// "command-line.json" when a folder is named (not empty), then
// local_overlay_path() when it can be named.
std::vector<platform::FilePath> overlay_candidates(const platform::FilePath& profile);

// The profile's candidate when that path exists (a directory of that name
// counts), else local_overlay_path().
platform::FilePath locate_overlay_file(const platform::FilePath& profile);

// The overlay's text: the file's bytes with every CR LF turned into LF and
// nothing else changed (a 0x1A byte is an ordinary byte), and how the read
// went (`why` says why a file was not read). `not_utf8_at` receives the file
// offset of the first byte that is not UTF-8 (first_not_utf8), or npos.
platform::FileRead read_overlay_text(const platform::FilePath& path, std::string& text, std::string& why,
                                     std::size_t& not_utf8_at);

// Every CR LF of `text` turned into LF.
std::string crlf_to_lf(const std::string& text);

}  // namespace vantrel
