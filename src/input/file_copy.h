#pragma once

#include <filesystem>

namespace halvern {

/// Replaces `target` with the bytes of `source` atomically (temporary file in the target's folder, fsync,
/// rename), so the target is never left half written. The source is read whole and must be a non-empty
/// regular file no larger than the JSON helpers' size cap. False (target untouched) when any step fails.
[[nodiscard]] bool CopyFileAtomic(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace halvern
