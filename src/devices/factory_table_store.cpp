#include "devices/factory_table_store.h"

#include <json/value.h>

#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr const char* kMember = "KeyTable";

}  // namespace

std::vector<uint8_t> RememberFactoryTable(const std::filesystem::path& file, std::vector<uint8_t> read) {
    const Json::Value document = ReadJsonFile(file);
    const Json::Value* stored = document.isObject() ? document.find(kMember, kMember + 8) : nullptr;
    if (stored && stored->isArray() && stored->size() == read.size()) {
        std::vector<uint8_t> table;
        table.reserve(read.size());
        for (const Json::Value& v : *stored) {
            if (!v.isInt() || v.asInt() < 0 || v.asInt() > 0xFF) break;
            table.push_back(static_cast<uint8_t>(v.asInt()));
        }
        if (table.size() == read.size()) return table;
    }
    Json::Value out(Json::objectValue);
    Json::Value& list = out[kMember] = Json::Value(Json::arrayValue);
    for (const uint8_t byte : read) list.append(byte);
    (void)WriteJsonFile(file, out);  // without the file the next start falls back to the device's table
    return read;
}

}  // namespace halvern
