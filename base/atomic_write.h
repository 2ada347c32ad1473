// Replacing a file in one step: write a new temporary file beside the target,
// flush it to disk, then move it over the target.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

// True when `content` is in place under `target`. The temporary file is
// "<target>.<16 random hex digits>.tmp", created new: nothing that already
// has a name beside the target (a leftover, a planted file, folder or link)
// is opened, written through or waited for. The move replaces the directory
// entry of the target, so a link named like the target is replaced, not
// written through. On every failure (missing folder, no access, a read-only
// target, a short write) the temporary file is removed again and an existing
// target is left untouched. The temporary file is flushed to stable storage
// before the move, so a power cut cannot leave an empty file under the final
// name. No folder is created.
bool write_file_atomic(const std::wstring& target, const std::string& content);

// "<target>.<the 16 hex digits of `random`>.tmp".
std::wstring temporary_name_for(const std::wstring& target, std::uint64_t random);

}  // namespace vantrel
