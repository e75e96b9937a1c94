#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace halvern {

/// Longest array any reader takes from a file, and the largest index a writer creates: lists in the
/// program's files hold at most a few hundred entries, so anything past this is a corrupt file.
inline constexpr Json::ArrayIndex kMaxJsonListLength = 4096;

// Reading. None of these throws, whatever the shape of the value: a value of the wrong type reads as the
// null value, 0, false or an empty string.

/// The member `key` of an object, or the null value when `object` is not an object or has no such member.
[[nodiscard]] const Json::Value& Member(const Json::Value& object, std::string_view key);

/// Element `index` of an array, or the null value when `array` is not an array or is too short.
[[nodiscard]] const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index);

/// True when a caller's index may address a list element: 0 <= index < kMaxJsonListLength.
[[nodiscard]] constexpr bool IsListIndex(int64_t index) {
    return index >= 0 && index < kMaxJsonListLength;
}

/// The number of elements to read from an array value: 0 for anything else, at most kMaxJsonListLength.
[[nodiscard]] Json::ArrayIndex ListLength(const Json::Value& array);

/// A number or boolean as a 64-bit integer (fractions cut off, out-of-range values clamped); 0 otherwise.
[[nodiscard]] int64_t ToInt(const Json::Value& value);

/// True for `true` and for any non-zero number.
[[nodiscard]] bool ToBool(const Json::Value& value);

/// The text of a string value, or an empty string.
[[nodiscard]] std::string ToText(const Json::Value& value);

// Writing. Each makes `value` the needed container first (a value of another type is replaced).

/// The member `key` of `object`, created as null when absent.
[[nodiscard]] Json::Value& MemberRef(Json::Value& object, std::string_view key);

/// Element `index` of `array`, the array grown with nulls as needed. Callers keep `index` below
/// kMaxJsonListLength.
[[nodiscard]] Json::Value& ElementRef(Json::Value& array, Json::ArrayIndex index);

}  // namespace halvern
