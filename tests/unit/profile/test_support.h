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

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline Json::Value parse(const std::string& text) { return ParseJsonText(text); }

/// The shipped default data of the source tree.
inline std::filesystem::path shippedData() { return std::filesystem::path(HALVERN_SOURCE_RESOURCES) / "DefaultData"; }

}  // namespace halvern::test
