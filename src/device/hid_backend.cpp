#include "device/hid_backend.h"

#include <charconv>

namespace halvern {

namespace {
thread_local int t_lastOpenError = 0;
}  // namespace

int lastOpenError() {
    return t_lastOpenError;
}
void setLastOpenError(int error) {
    t_lastOpenError = error;
}

std::string makeCollectionPath(std::string_view node, uint16_t collection) {
    std::string path(node);
    if (collection != 0) {
        path += '#';
        path += std::to_string(collection);
    }
    return path;
}

CollectionPath splitCollectionPath(std::string_view path) {
    const size_t hash = path.rfind('#');
    if (hash == std::string_view::npos) return {path, 0};
    const std::string_view number = path.substr(hash + 1);
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || ec != std::errc{} || ptr != number.data() + number.size() || value > 0xFFFF) {
        return {path, 0};  // not a collection suffix: the whole text names the node
    }
    return {path.substr(0, hash), static_cast<uint16_t>(value)};
}

}  // namespace halvern
