#include "input/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "device/debug_sink.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool CopyFileAtomic(const std::filesystem::path& source, const std::filesystem::path& target) {
    const std::string bytes = ReadFileText(source);
    if (bytes.empty()) {
        debugLog("CopyFileAtomic: empty or unreadable " + source.string());
        return false;
    }
    std::string pattern = target.string() + ".tmp.XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        debugLog("CopyFileAtomic: cannot create a temporary file for " + target.string());
        return false;
    }
    const bool written = ::fchmod(fd, 0644) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(pattern.c_str(), target.c_str()) != 0) {
        debugLog("CopyFileAtomic: write failed " + target.string());
        ::unlink(pattern.c_str());
        return false;
    }
    return true;
}

}  // namespace halvern
