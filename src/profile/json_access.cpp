#include "profile/json_access.h"

#include <cmath>
#include <limits>

namespace halvern {

const Json::Value& Member(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return Json::Value::nullSingleton();
    const Json::Value* found = object.find(key.data(), key.data() + key.size());
    return found ? *found : Json::Value::nullSingleton();
}

const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size()) return Json::Value::nullSingleton();
    return array[index];
}

Json::ArrayIndex ListLength(const Json::Value& array) {
    if (!array.isArray()) return 0;
    return std::min(array.size(), kMaxJsonListLength);
}

int64_t ToInt(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64();
        case Json::uintValue:
            return value.asUInt64() > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                       ? std::numeric_limits<int64_t>::max()
                       : static_cast<int64_t>(value.asUInt64());
        case Json::realValue: {
            const double d = value.asDouble();
            if (std::isnan(d)) return 0;
            // 2^63 is the first double above the int64 range.
            if (d >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
            if (d <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
            return static_cast<int64_t>(d);
        }
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

bool ToBool(const Json::Value& value) {
    if (value.isBool()) return value.asBool();
    if (value.isDouble() && !value.isIntegral()) return value.asDouble() != 0.0;
    return ToInt(value) != 0;
}

std::string ToText(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

Json::Value& MemberRef(Json::Value& object, std::string_view key) {
    if (!object.isObject()) object = Json::Value(Json::objectValue);
    return object[std::string(key)];
}

Json::Value& ElementRef(Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    return array[index];
}

}  // namespace halvern
