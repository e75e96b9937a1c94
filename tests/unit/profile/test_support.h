#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "profile/json_file.h"
#include "temp_env.h"

namespace halvern::test {

inline Json::Value parse(const std::string& text) {
    return ParseJsonText(text);
}

/// The shipped default data of the source tree.
inline std::filesystem::path shippedData() {
    return std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData";
}

}  // namespace halvern::test
