#include "profile/name_rule.h"

#include <algorithm>

#include "profile/text_utf8.h"

namespace halvern {
namespace {

bool isControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

}  // namespace

NameProblem CheckName(std::string_view utf8) {
    // Text that is not UTF-8 does not come back the same from one decoding and encoding.
    const std::wstring wide = Utf8ToWide(utf8);
    if (WideToUtf8(wide) != utf8) return NameProblem::ControlCharacter;
    if (IsBlank(utf8)) return NameProblem::Blank;  // also a name of nothing but tabs and line breaks
    if (std::ranges::any_of(wide, [](wchar_t c) { return isControl(static_cast<char32_t>(c)); }))
        return NameProblem::ControlCharacter;
    if (wide.size() > kMaxNameCharacters) return NameProblem::TooLong;
    return NameProblem::None;
}

std::string NameProblemText(NameProblem problem) {
    switch (problem) {
        case NameProblem::None:
            return {};
        case NameProblem::Blank:
            return "the name is blank";
        case NameProblem::ControlCharacter:
            return "the name holds a control character (a tab, a line break or the like) or is not UTF-8";
        case NameProblem::TooLong:
            return "the name is longer than " + std::to_string(kMaxNameCharacters) + " characters";
    }
    return {};
}

std::string PrintableName(std::string_view utf8) {
    static constexpr std::string_view kHex = "0123456789abcdef";
    const auto escaped = [](std::string& out, unsigned char code) {
        switch (code) {
            case '\t':
                out += "\\t";
                return;
            case '\n':
                out += "\\n";
                return;
            case '\r':
                out += "\\r";
                return;
            case 0x1B:
                out += "\\e";
                return;
            default:
                out += "\\x";
                out += kHex[code >> 4];
                out += kHex[code & 0x0F];
        }
    };
    std::string shown;
    shown.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
        if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {  // a C1 control, U+0080-U+009F
            escaped(shown, next);
            ++i;
        } else if (byte < 0x20 || byte == 0x7F) {
            escaped(shown, byte);
        } else {
            shown += utf8[i];
        }
    }
    return shown;
}

}  // namespace halvern
