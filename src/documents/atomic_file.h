#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace nx {

// The system calls the atomic writer makes, in the order it makes them. Create opens the temporary
// file, Write is one call per chunk of at most kAtomicWriteChunk bytes, Sync flushes the file to
// the disk, Close closes it and Replace renames it over the target.
enum class FileStep { Create, Write, Sync, Close, Replace };

inline constexpr size_t kAtomicWriteChunk = size_t{1} << 20;

// Asked before every step; a non-zero errno value (ENOSPC, EACCES, ...) makes that step fail as
// the system would have. Lets tests make any one call fail.
using FaultInjector = std::function<int(FileStep step)>;

// Writes `content` to `path` so that the file is either the complete new content or, after any
// failure, exactly what it was before: the bytes go to a temporary file in the target's folder,
// are flushed to the disk, and that file then replaces the target in one rename. An existing
// target keeps its permission bits. On failure no temporary file is left behind and FileError
// names the path and the system's reason.
void writeFileAtomically(const std::string& path, std::string_view content,
                         const FaultInjector& inject = {});

}  // namespace nx
