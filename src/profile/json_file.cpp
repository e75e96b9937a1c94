#include "profile/json_file.h"

#include <fcntl.h>
#include <json/reader.h>
#include <json/writer.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "device/debug_sink.h"

namespace halvern {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

/// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    /// Closes now and reports whether the close succeeded (a delayed write error shows up here).
    [[nodiscard]] bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

void traceError(std::string_view what, const std::filesystem::path& path) {
    if (!debugEnabled()) return;
    debugLog(std::string(what) + " " + path.string() + ": " + std::strerror(errno));
}

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

bool readAll(int fd, std::string& out, size_t size) {
    out.resize(size);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, out.data() + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;  // the file shrank while we read it
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    return true;
}

}  // namespace

namespace {

FileIdentity identityOf(const struct stat& info) {
    return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                        static_cast<int64_t>(info.st_size),
                        static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileIdentity> IdentifyFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return identityOf(info);
}

std::string ReadFileText(const std::filesystem::path& path) {
    errno = 0;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    // The historical trace of every read, with the error code of the open (0 when it worked).
    if (debugEnabled()) debugLog("readjsonFile 错误吗：：" + std::to_string(fd.valid() ? 0 : errno));
    if (!fd.valid()) return {};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        debugLog("readjsonFile: not a regular file " + path.string());
        return {};
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxJsonFileBytes) {
        debugLog("readjsonFile: file too large " + path.string());
        return {};
    }
    std::string text;
    if (!readAll(fd.get(), text, static_cast<size_t>(info.st_size))) {
        traceError("readjsonFile read failed", path);
        return {};
    }
    return text;
}

Json::Value ParseJsonText(const std::string& text) {
    std::string_view body = text;
    if (body.starts_with(kUtf8Bom)) body.remove_prefix(kUtf8Bom.size());
    if (body.empty()) return Json::Value();

    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    builder["stackLimit"] = kMaxJsonDepth;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string errors;
    try {
        if (!reader->parse(body.data(), body.data() + body.size(), &document, &errors)) {
            debugLog("readjsonFile: parse failed: " + errors);
            return Json::Value();
        }
    } catch (const std::exception& e) {  // the reader throws when the nesting limit is exceeded
        debugLog(std::string("readjsonFile: parse failed: ") + e.what());
        return Json::Value();
    }
    return document;
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    const std::string text = ReadFileText(path);
    if (text.empty()) {
        debugLog("readjsonFile: empty or unreadable " + path.string());
        return Json::Value();
    }
    return ParseJsonText(text);
}

std::string FormatJson(const Json::Value& document) {
    Json::StyledWriter writer;  // 3-space indent; std::map keeps members in ascending byte order
    return writer.write(document);
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view text, FileIdentity* written) {
    std::string pattern = (path.string() + ".tmp.XXXXXX");

    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) {
        traceError("writejsonFile: cannot create temporary file for", path);
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the usual rw-r--r--.
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    struct stat info {};
    const bool complete = ::fchmod(fd.get(), mode) == 0 && writeAll(fd.get(), text) &&
                          ::fsync(fd.get()) == 0 && ::fstat(fd.get(), &info) == 0;
    if (!complete || !fd.close() || ::rename(pattern.c_str(), path.c_str()) != 0) {
        traceError("writejsonFile: write failed", path);
        ::unlink(pattern.c_str());
        return false;
    }
    if (written) *written = identityOf(info);  // the rename keeps inode and modification time
    return true;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& document, FileIdentity* written) {
    return WriteFileAtomic(path, FormatJson(document), written);
}

}  // namespace halvern
