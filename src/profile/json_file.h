#pragma once

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace halvern {

/// Largest file the JSON helpers read. Every document the program keeps is far smaller; anything bigger is
/// treated as unreadable rather than loaded into memory.
inline constexpr std::uintmax_t kMaxJsonFileBytes = 16u * 1024u * 1024u;

/// Deepest nesting of arrays and objects the reader accepts; deeper text is rejected as malformed.
inline constexpr unsigned kMaxJsonDepth = 64;

/// What identifies one version of a file: a file replaced by WriteJsonFile gets a new inode, and a file
/// edited in place a new modification time.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

/// The identity of the file now at `path`; nothing when there is no such regular file.
[[nodiscard]] std::optional<FileIdentity> IdentifyFile(const std::filesystem::path& path);

/// Reads a whole file as bytes. Returns an empty string when the file cannot be opened or read, is not a
/// regular file, or is larger than kMaxJsonFileBytes.
[[nodiscard]] std::string ReadFileText(const std::filesystem::path& path);

/// Parses JSON text (comments allowed, LF or CR LF line ends, an optional UTF-8 byte-order mark).
/// Returns a null value when the text is empty, malformed, nested too deeply or followed by anything but
/// white space and comments.
[[nodiscard]] Json::Value ParseJsonText(const std::string& text);

/// ReadFileText + ParseJsonText: the document, or a null value when the file is missing or unusable.
[[nodiscard]] Json::Value ReadJsonFile(const std::filesystem::path& path);

/// The styled text of a document: 3-space indent, object members in ascending byte order of their keys,
/// UTF-8, ending in exactly one newline.
[[nodiscard]] std::string FormatJson(const Json::Value& document);

/// Replaces the file with `text`, atomically: the text goes to a temporary file in the same folder, is
/// flushed to disk (fsync) and then renamed over the target, so a crash leaves either the old or the new
/// file, never a mix. Returns false (and leaves any existing file untouched) when any step fails. When
/// `written` is given it receives the identity of the new file.
[[nodiscard]] bool WriteFileAtomic(const std::filesystem::path& path, std::string_view text,
                                   FileIdentity* written = nullptr);

/// WriteFileAtomic with the styled text of the document.
[[nodiscard]] bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& document,
                                 FileIdentity* written = nullptr);

}  // namespace halvern
