#include "devices/factory_table_store.h"

#include <json/value.h>

#include <algorithm>
#include <optional>
#include <system_error>

#include "device/debug_sink.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr const char* kTable = "KeyTable";
constexpr const char* kInfo = "Info";

// The bytes of a JSON array of 0-255 numbers; nothing when any member is not such a number.
std::optional<std::vector<uint8_t>> bytesOf(const Json::Value& list) {
    if (!list.isArray()) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(list.size());
    for (const Json::Value& v : list) {
        if (!v.isInt() || v.asInt() < 0 || v.asInt() > 0xFF) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(v.asInt()));
    }
    return bytes;
}

Json::Value listOf(std::span<const uint8_t> bytes) {
    Json::Value list(Json::arrayValue);
    for (const uint8_t byte : bytes) list.append(byte);
    return list;
}

}  // namespace

std::vector<uint8_t> RememberFactoryTable(const std::filesystem::path& file, std::vector<uint8_t> read,
                                          std::span<const uint8_t> info) {
    const Json::Value document = ReadJsonFile(file);
    if (document.isObject()) {
        const auto table = bytesOf(document[kTable]);
        const auto storedInfo = bytesOf(document[kInfo]);
        // A file without the information block (written before it was kept) counts as the same firmware.
        const bool sameFirmware =
            !document.isMember(kInfo) ||
            (storedInfo && std::equal(storedInfo->begin(), storedInfo->end(), info.begin(), info.end()));
        if (table && table->size() == read.size() && sameFirmware) return *table;
    }
    Json::Value out(Json::objectValue);
    out[kTable] = listOf(read);
    out[kInfo] = listOf(info);
    // Without the file the next start falls back to the device's table; nothing else is lost.
    if (!WriteJsonFile(file, out)) debugLog("factory key table could not be remembered in " + file.string());
    return read;
}

void ForgetFactoryTable(const std::filesystem::path& file) {
    std::error_code ignored;  // a file that is not there is forgotten already
    std::filesystem::remove(file, ignored);
}

}  // namespace halvern
