#pragma once

#include <string_view>

namespace halvern {

/// True when an id read from a file may name a file inside a folder of ours: not empty, at most 200
/// bytes, no folder separator, no control character, and not "." or "..". Ids that fail this are never
/// turned into paths, so a hand-edited file cannot make the program read, write or delete elsewhere.
[[nodiscard]] bool IsSafeFileStem(std::string_view id);

}  // namespace halvern
