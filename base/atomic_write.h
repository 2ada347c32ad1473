// Replacing a file in one step: write "<target>.tmp", flush it to disk, then
// move it over the target.
#pragma once

#include <string>

namespace vantrel {

// True when `content` is in place under `target`. On every failure (missing
// folder, no access, a read-only target, a short write) the temporary file is
// removed again and an existing target is left untouched. The temporary file
// is flushed to stable storage before the move, so a power cut cannot leave
// an empty file under the final name. No folder is created.
bool write_file_atomic(const std::wstring& target, const std::string& content);

}  // namespace vantrel
