#include "cli/function_params.h"

#include <algorithm>
#include <array>
#include <vector>

#include "cli/cli_support.h"
#include "input/key_tables.h"

namespace halvern::cli {
namespace {

/// One number a function takes: its word ("interval", "repeat mode"), its range and its value when left out.
struct Parameter {
    std::string_view word;
    long min, max, fallback;
};

constexpr Parameter kInterval{"interval", 0, 255, 0x78};
constexpr Parameter kFireCount{"count", 0, 255, 2};
constexpr Parameter kCount{"count", 0, 127, 1};
constexpr Parameter kDownCount{"count", 1, 128, 1};  // the wheel's second direction counts from 128 down
constexpr Parameter kDelay{"delay", 0, 15, 0};
constexpr Parameter kSpeed{"speed", 0, 15, 0};
constexpr Parameter kRepeatMode{"repeat mode", 1, 4, 1};
constexpr Parameter kTimes{"times", 1, 255, 1};

/// A function named by a text id, its type and direction, and the numbers it takes in the order shown.
struct ParameterFunction {
    std::string_view textId;
    uint8_t type;
    bool second;  ///< the direction drop-down list's second entry (bit 7 of the count byte)
    std::array<const Parameter*, 3> parameters;
};

constexpr std::array<ParameterFunction, 5> kFunctions{{
    {"mouse_key_fire_key", assign_type::kFire, false, {&kInterval, &kFireCount, nullptr}},
    {"mouse_key_left_Swing", assign_type::kSwing, false, {&kCount, &kDelay, &kSpeed}},
    {"mouse_key_right_Swing", assign_type::kSwing, true, {&kCount, &kDelay, &kSpeed}},
    {"mouse_key_up_Swing", assign_type::kWheel, false, {&kCount, &kDelay, &kSpeed}},
    {"mouse_key_down_Swing", assign_type::kWheel, true, {&kDownCount, &kDelay, &kSpeed}},
}};

constexpr std::string_view kMacroWord = "macro";
constexpr std::string_view kSeparator = ", ";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

/// A number given after a function's name: its word, folded, and its value.
struct GivenNumber {
    std::string word;
    long value;
};

/// Takes ", WORD NUMBER" parts off the end of `text` into `given` (in their order) and returns the rest.
std::string_view peelNumbers(std::string_view text, std::vector<GivenNumber>& given) {
    for (auto comma = text.rfind(','); comma != std::string_view::npos; comma = text.rfind(',')) {
        const std::string_view part = trimmed(text.substr(comma + 1));
        const auto space = part.rfind(' ');
        if (space == std::string_view::npos) break;
        const auto value = parseInteger(part.substr(space + 1), 0, 99999);
        const std::string word = foldName(trimmed(part.substr(0, space)));
        if (!value || word.empty()) break;
        given.insert(given.begin(), {word, *value});
        text = trimmed(text.substr(0, comma));
    }
    return text;
}

std::string rangeText(const Parameter& p) {
    return std::string(p.word) + " " + std::to_string(p.min) + "-" + std::to_string(p.max);
}

/// The values of `parameters` from `given` (each at most once), or the reason they cannot be taken.
std::optional<std::array<long, 3>> readNumbers(const std::array<const Parameter*, 3>& parameters,
                                               const std::vector<GivenNumber>& given, std::string_view name,
                                               std::string& problem) {
    std::array<long, 3> values{};
    std::array<bool, 3> seen{};
    std::string takes;
    for (size_t i = 0; i < parameters.size() && parameters[i]; ++i) {
        values[i] = parameters[i]->fallback;
        takes += (takes.empty() ? "" : ", ") + rangeText(*parameters[i]);
    }
    for (const GivenNumber& g : given) {
        const auto at = std::ranges::find_if(
            parameters, [&](const Parameter* p) { return p && foldName(p->word) == g.word; });
        const auto i = static_cast<size_t>(at - parameters.begin());
        if (at == parameters.end() || seen[i] || g.value < (*at)->min || g.value > (*at)->max) {
            problem = "'" + std::string(name) + "' takes " + takes;
            return std::nullopt;
        }
        seen[i] = true;
        values[i] = g.value;
    }
    return values;
}

key_table::Code codeOf(const ParameterFunction& f, const std::array<long, 3>& v) {
    if (f.type == assign_type::kFire) return {f.type, static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1])};
    const auto timing = static_cast<uint8_t>(v[1] << 4 | v[2]);
    const long count = f.type == assign_type::kWheel && f.second ? 128 - v[0] : v[0];
    return {f.type, timing, static_cast<uint8_t>((count & 0x7F) | (f.second ? 0x80 : 0))};
}

ParameterWord macroWord(std::string_view rest, const std::vector<GivenNumber>& given) {
    static constexpr std::array<const Parameter*, 3> kMacroNumbers{&kRepeatMode, &kTimes, nullptr};
    ParameterWord word;
    const std::string name(trimmed(rest));
    const auto values = readNumbers(kMacroNumbers, given, "macro", word.problem);
    if (!values) return word;
    const bool counted = std::ranges::any_of(given, [](const GivenNumber& g) { return g.word == "times"; });
    if (counted && given.size() > 1) {
        word.problem = "a macro plays in a repeat mode or a number of times, not both";
        return word;
    }
    if (name.empty()) {
        word.problem = "'macro' needs the macro's name";
        return word;
    }
    word.macro = counted ? MacroWord{name, assign_type::kMacroCount, static_cast<uint8_t>((*values)[1])}
                         : MacroWord{name, assign_type::kMacroMode, static_cast<uint8_t>((*values)[0] - 1)};
    return word;
}

bool startsWithWord(std::string_view text, std::string_view word) {
    if (text.size() <= word.size() || text[word.size()] != ' ') return false;
    return std::ranges::equal(text.substr(0, word.size()), word,
                              [](char a, char b) { return (a | 0x20) == b; });
}

std::string numbersText(const std::array<const Parameter*, 3>& parameters, const std::array<long, 3>& v) {
    std::string text;
    for (size_t i = 0; i < parameters.size() && parameters[i]; ++i)
        text += std::string(kSeparator) + std::string(parameters[i]->word) + " " + std::to_string(v[i]);
    return text;
}

}  // namespace

ParameterWord parseParameterWord(std::string_view word, const EnglishTexts& texts) {
    std::vector<GivenNumber> given;
    const std::string_view head = peelNumbers(trimmed(word), given);
    if (startsWithWord(head, kMacroWord)) return macroWord(head.substr(kMacroWord.size()), given);
    const std::string folded = foldName(head);
    for (const ParameterFunction& f : kFunctions) {
        const std::string shown = texts.shown(f.textId);
        if (foldName(shown) != folded && foldName(idTail(f.textId, "mouse_key_")) != folded) continue;
        ParameterWord result;
        if (const auto values = readNumbers(f.parameters, given, shown, result.problem))
            result.code = codeOf(f, *values);
        return result;
    }
    return {};
}

std::string parameterName(const KeyAssignment& a, std::span<const std::string> macroNames,
                          const EnglishTexts& texts) {
    if (key_table::IsMacroType(a.type)) {
        if (a.code1 >= macroNames.size()) return {};
        const std::string name = std::string(kMacroWord) + " " + macroNames[a.code1];
        if (a.type == assign_type::kMacroCount)
            return name + std::string(kSeparator) + "times " + std::to_string(a.code2);
        return a.code2 == 0 ? name
                            : name + std::string(kSeparator) + "repeat mode " + std::to_string(a.code2 + 1);
    }
    const bool second = (a.code2 & 0x80) != 0;
    for (const ParameterFunction& f : kFunctions) {
        if (f.type != a.type || (f.type != assign_type::kFire && f.second != second)) continue;
        std::array<long, 3> v{a.code1, a.code2, 0};
        if (f.type != assign_type::kFire) {
            const long count = a.code2 & 0x7F;
            v = {f.type == assign_type::kWheel && second ? 128 - count : count, a.code1 >> 4, a.code1 & 0x0F};
        }
        return texts.shown(f.textId) + numbersText(f.parameters, v);
    }
    return {};
}

}  // namespace halvern::cli
