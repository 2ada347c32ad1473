// Replacing a file in one step: write a new temporary file beside the target,
// flush it to disk, then move it over the target.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace vantrel::platform {

// True when `content` is in place under `target`. The temporary file is
// "<target>.<16 random hex digits>.tmp" (the system's cryptographic random
// source), created new: nothing that already has a name beside the target (a
// leftover, a planted file, folder or link) is opened, written through or
// waited for; when something stands under the name drawn, another name is
// drawn (at most four in all). The move replaces the directory entry of the
// target, so a link named like the target is replaced, not written through.
// While another program holds the target open without delete sharing (a
// caller reading it, a scanner), the move is tried again for about a second.
// On every failure (missing folder, no access, a read-only target, a target
// held for longer, a short write) the temporary file is removed again and an
// existing target is left untouched. The temporary file is flushed to stable
// storage before the move, so a power cut cannot leave an empty file under
// the final name (the move itself is not forced to disk: after a power cut
// the target may still be the previous file). No folder is created.
bool write_file_atomic(const FilePath& target, const std::string& content);

// The same with the random part of each temporary name drawn from `draw`
// (false: none can be had), so that a test can plant entries at exactly the
// names the write will try.
using RandomSource = std::function<bool(std::uint64_t& random)>;
bool write_file_atomic(const FilePath& target, const std::string& content, const RandomSource& draw);

// The number of temporary names a write tries before it gives up.
inline constexpr int TEMPORARY_NAMES_TRIED = 4;

// How one try at creating a new file under a name went.
enum class Created { yes, name_taken, failed };

// Draws temporary names for `target` until `create` makes a new file under
// one: the name it made, or empty when `draw` or `create` failed or
// TEMPORARY_NAMES_TRIED names were taken. (Each system's write shares it.)
FilePath create_temporary(const FilePath& target, const RandomSource& draw,
                          const std::function<Created(const FilePath& temp)>& create);

// "<target>.<the 16 hex digits of `random`>.tmp".
FilePath temporary_name_for(const FilePath& target, std::uint64_t random);

}  // namespace vantrel::platform
