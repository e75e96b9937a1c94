#include "input/file_copy.h"

#include <string>

#include "device/debug_sink.h"
#include "profile/json_file.h"

namespace halvern {

bool CopyFileAtomic(const std::filesystem::path& source, const std::filesystem::path& target) {
    const std::string bytes = ReadFileText(source);
    if (bytes.empty()) {
        debugLog("CopyFileAtomic: empty or unreadable " + source.string());
        return false;
    }
    return WriteFileAtomic(target, bytes);
}

}  // namespace halvern
