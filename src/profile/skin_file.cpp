#include "profile/skin_file.h"

#include <charconv>
#include <optional>
#include <sstream>
#include <vector>

#include "profile/data_folders.h"
#include "profile/json_file.h"

namespace halvern {
namespace {

constexpr std::string_view kSection = "SKINIMAGE";

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

bool isSectionLine(std::string_view line) {
    line = trim(line);
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

bool isOurSection(std::string_view line) {
    line = trim(line);
    return isSectionLine(line) && sameNoCase(trim(line.substr(1, line.size() - 2)), kSection);
}

/// The value of `key` in our section, or nothing.
std::optional<std::string> valueOf(const std::vector<std::string>& lines, std::string_view key) {
    bool inSection = false;
    for (const std::string& raw : lines) {
        if (isSectionLine(raw)) {
            inSection = isOurSection(raw);
            continue;
        }
        const size_t equals = raw.find('=');
        if (inSection && equals != std::string::npos &&
            sameNoCase(trim(std::string_view(raw).substr(0, equals)), key))
            return std::string(trim(std::string_view(raw).substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<uint32_t> parseColour(std::string_view text) {
    uint32_t value = 0;
    if (text.size() != 8) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string colourText(uint32_t colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, colour >>= 4) text[static_cast<size_t>(i)] = kDigits[colour & 0xF];
    return text;
}

}  // namespace

std::filesystem::path SkinFile() {
    return GetAppDataFolder() / "main.ini";
}

bool IsNameInsideFolder(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos)
        return false;
    for (const auto& part : std::filesystem::path(name)) {
        if (part == "..") return false;
    }
    return true;
}

SkinChoice ReadSkinFile(const std::filesystem::path& file) {
    const std::vector<std::string> lines = linesOf(ReadFileText(file));
    const std::string flags = valueOf(lines, "FLAGS").value_or("0");
    const std::string image = valueOf(lines, "IMAGE").value_or("");
    SkinChoice choice;
    if (flags == "1" && IsNameInsideFolder(image)) {
        choice.kind = SkinKind::OfferedImage;
        choice.image = image;
    } else if (flags == "2") {
        if (const auto colour = parseColour(valueOf(lines, "COLOR").value_or(""))) {
            choice.kind = SkinKind::Colour;
            choice.colour = *colour;
            choice.image.clear();
        }
    } else if (flags == "3" && std::filesystem::path(image).is_absolute()) {
        choice.kind = SkinKind::OwnPicture;
        choice.image = image;
    }
    return choice;
}

bool WriteSkinFile(const std::filesystem::path& file, const SkinChoice& choice) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    std::vector<std::string> lines = linesOf(ReadFileText(file));
    std::vector<std::pair<std::string, std::string>> values{
        {"FLAGS", std::to_string(static_cast<int>(choice.kind))}, {"IMAGE", choice.image}};
    if (choice.kind == SkinKind::Colour) values.emplace_back("COLOR", colourText(choice.colour));

    // Our section, rebuilt in place (or added at the end); the other lines stay as they were.
    std::vector<std::string> out;
    bool inSection = false;
    bool written = false;
    const auto writeSection = [&out, &values] {
        out.emplace_back("[SKINIMAGE]");
        for (const auto& [key, value] : values) {
            std::string line = key;
            line += '=';
            line += value;
            out.push_back(std::move(line));
        }
    };
    for (const std::string& line : lines) {
        if (isSectionLine(line)) {
            inSection = isOurSection(line);
            if (inSection && !written) {
                writeSection();
                written = true;
            }
            if (inSection) continue;
        }
        if (!inSection) out.push_back(line);
    }
    if (!written) writeSection();
    std::string text;
    for (const std::string& line : out) text += line + "\n";
    return WriteFileAtomic(file, text);
}

}  // namespace halvern
