#include "cli/key_names.h"

#include <algorithm>

#include "cli/cli_support.h"
#include "cli/option_words.h"
#include "input/assignment_text.h"
#include "input/key_tables.h"

namespace halvern::cli {
namespace {

/// What the text ids of keys and mouse functions start with; the rest of an id is a name people may type.
constexpr std::array<std::string_view, 2> kIdPrefixes{"keyboard_key_", "mouse_key_"};

/// The drop-down lists of the key editor whose entries are text ids.
constexpr std::array<std::span<const ChoiceRow>, 4> kChoiceLists{kMouseButtonChoices, kDpiChoices,
                                                                 kMediaChoices, kSystemChoices};

/// The key editor's modifier boxes (1 Ctrl, 2 Shift, 3 Alt, 4 Super), by their text ids.
struct ModifierBox {
    std::string_view textId;
    int box;
};
constexpr std::array<ModifierBox, 4> kModifierBoxes{{
    {"keyset_modifier_ctrl", 1},
    {"keyset_modifier_shift", 2},
    {"keyset_modifier_alt", 3},
    {"keyset_modifier_win", 4},
}};
constexpr std::string_view kModifierPrefix = "keyset_modifier_";
constexpr std::string_view kDefaultTextId = "keyset_category_default";

/// Functions that the devices' own tables hold and the key lists show, but that no list of the key editor
/// offers; they are taken by the names shown for them.
struct ExtraFunction {
    std::string_view textId;
    uint8_t type, code1, code2;
};
constexpr std::array<ExtraFunction, 4> kExtraFunctions{{
    {"close_text", assign_type::kKeyboard, 0x00, 0x00},           // a key that does nothing
    {"mouse_key_DPI_shift", assign_type::kDpiShift, 0x90, 0x01},  // the mouse's own DPI shift button
    {"mouse_key_smart_key", assign_type::kSpecial, 0x02, 0x00},
    {"show_window", assign_type::kShowWindow, 0x00, 0x00},
}};

constexpr long packCode(uint8_t type, uint8_t c1, uint8_t c2) {
    return long{type} << 16 | long{c1} << 8 | c2;
}

key_table::Code unpackCode(long value) {
    return {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

std::string_view tailOf(std::string_view id) {
    for (const std::string_view prefix : kIdPrefixes) {
        if (const std::string_view tail = idTail(id, prefix); !tail.empty()) return tail;
    }
    return {};
}

std::string shownText(std::string_view id, const EnglishTexts& texts) {
    const std::string_view tail = tailOf(id);
    const std::string_view text = texts.text(id);
    return std::string(!text.empty() ? text : !tail.empty() ? tail : id);
}

/// A choice named by a text id: its English text and its id's tail.
NamedChoice textIdChoice(std::string_view id, long value, const EnglishTexts& texts) {
    NamedChoice choice{shownText(id, texts), {}, {}, value};
    if (const std::string_view text = texts.text(id); !text.empty()) choice.names.emplace_back(text);
    if (const std::string_view tail = tailOf(id); !tail.empty()) choice.aliases.emplace_back(tail);
    return choice;
}

/// The modifier mask a word names: a modifier box ("Ctrl", "Super" or "win") or a modifier key ("Right Alt",
/// "RAlt"); 0 when it names none.
uint8_t modifierMask(std::string_view word, const EnglishTexts& texts) {
    std::vector<NamedChoice> modifiers;
    for (const ModifierBox& m : kModifierBoxes) {
        NamedChoice choice{texts.shown(m.textId, kModifierPrefix), {}, {}, ModifierMaskOfBox(m.box)};
        if (const std::string_view text = texts.text(m.textId); !text.empty())
            choice.names.emplace_back(text);
        choice.aliases.emplace_back(idTail(m.textId, kModifierPrefix));
        modifiers.push_back(std::move(choice));
    }
    for (int row = 0; row < kFirstPlainKeyRow; ++row) {
        const KeyCodeRow& key = KeyCodeTable[static_cast<size_t>(row)];
        modifiers.push_back(textIdChoice(key.name, key.code1, texts));
    }
    const NameMatch match = matchName(modifiers, word);
    return match.value ? static_cast<uint8_t>(*match.value) : 0;
}

/// The HID usage of a plain key a word names ("G", "F5"); nothing when it names none.
std::optional<uint8_t> plainKeyUsage(std::string_view word, const EnglishTexts& texts) {
    std::vector<NamedChoice> keys;
    for (size_t row = kFirstPlainKeyRow; row < KeyCodeTable.size(); ++row) {
        const KeyCodeRow& key = KeyCodeTable[row];
        if (key.type == assign_type::kKeyboard && key.code1 == 0)
            keys.push_back(textIdChoice(key.name, key.code2, texts));
    }
    const NameMatch match = matchName(keys, word);
    if (!match.value) return std::nullopt;
    return static_cast<uint8_t>(*match.value);
}

/// "MODIFIER+...+KEY" or "MODIFIER+...+MODIFIER": modifiers joined with "+", then a key or one more
/// modifier ("Ctrl+G", "Ctrl+Shift+C", "Left Ctrl+Num +", "Left Ctrl+Left Alt"); nothing otherwise.
std::optional<key_table::Code> combination(std::string_view word, const EnglishTexts& texts) {
    for (size_t plus = word.find('+'); plus != std::string_view::npos; plus = word.find('+', plus + 1)) {
        if (plus == 0 || plus + 1 >= word.size()) continue;
        const uint8_t mask = modifierMask(word.substr(0, plus), texts);
        if (mask == 0) continue;
        const std::string_view rest = word.substr(plus + 1);
        if (const auto usage = plainKeyUsage(rest, texts))
            return key_table::Code{assign_type::kKeyboard, mask, *usage};
        if (const uint8_t more = modifierMask(rest, texts); more != 0)
            return key_table::Code{assign_type::kKeyboard, static_cast<uint8_t>(mask | more), 0};
        if (const auto code = combination(rest, texts))
            return key_table::Code{assign_type::kKeyboard, static_cast<uint8_t>(mask | (*code)[1]),
                                   (*code)[2]};
    }
    return std::nullopt;
}

/// A keyboard code with modifiers named as combination reads it: every modifier of the mask, lowest bit
/// first, then the key ("Left Ctrl+Left Shift+C"); empty when a part has no name.
std::string keyboardName(uint8_t mask, uint8_t usage, const EnglishTexts& texts) {
    std::string name;
    for (unsigned bit = 1; bit <= 0x80; bit <<= 1) {
        if ((mask & bit) == 0) continue;
        const int row = FindModifierRow(static_cast<uint8_t>(bit));
        if (row < 0) return {};
        name += (name.empty() ? "" : "+") + shownText(KeyCodeTable[static_cast<size_t>(row)].name, texts);
    }
    if (usage == 0) return name;
    const int row = FindKeyRowByUsage(usage);
    if (row < 0) return {};
    return name + "+" + shownText(KeyCodeTable[static_cast<size_t>(row)].name, texts);
}

/// Whether `name` read back as a function gives the code `value`.
bool namesCode(const std::string& name, long value, std::span<const NamedChoice> functions,
               const EnglishTexts& texts) {
    std::string problem;
    const auto word = parseFunctionWord(name, functions, texts, problem);
    return word && !word->useDefault && !word->macro &&
           packCode(word->code[0], word->code[1], word->code[2]) == value;
}

const NamedChoice* choiceOfValue(std::span<const NamedChoice> choices, long value) {
    const auto it = std::ranges::find(choices, value, &NamedChoice::value);
    return it == choices.end() ? nullptr : &*it;
}

}  // namespace

std::vector<NamedChoice> functionChoices(const EnglishTexts& texts) {
    std::vector<NamedChoice> choices;
    choices.reserve(std::size(KeyCodeTable));
    for (const KeyCodeRow& key : KeyCodeTable) {
        choices.push_back(textIdChoice(key.name, packCode(key.type, key.code1, key.code2), texts));
    }
    for (const std::span<const ChoiceRow> list : kChoiceLists) {
        for (const ChoiceRow& row : list) {
            choices.push_back(textIdChoice(row.name, packCode(row.type, row.code1, row.code2), texts));
        }
    }
    for (const ExtraFunction& f : kExtraFunctions) {
        choices.push_back(textIdChoice(f.textId, packCode(f.type, f.code1, f.code2), texts));
    }
    for (size_t i = 0; i < kDeviceShortcutNames.size(); ++i) {
        choices.push_back(textIdChoice(kDeviceShortcutNames[i],
                                       packCode(assign_type::kDeviceShortcut, 0, static_cast<uint8_t>(i)),
                                       texts));
    }
    for (const ChoiceRow& row : kShortcutChoices) {  // shown as they are, in every language
        choices.push_back(
            {std::string(row.name), {std::string(row.name)}, {}, packCode(row.type, row.code1, row.code2)});
    }
    for (size_t i = 0; i < kRecoilNames.size(); ++i) {
        choices.push_back(
            textIdChoice(kRecoilNames[i], packCode(assign_type::kRecoil, static_cast<uint8_t>(i), 0), texts));
    }
    NamedChoice byDefault = textIdChoice(kDefaultTextId, kDefaultFunction, texts);
    byDefault.aliases.emplace_back("default");
    choices.push_back(std::move(byDefault));
    return choices;
}

std::optional<FunctionWord> parseFunctionWord(std::string_view word, std::span<const NamedChoice> functions,
                                              const EnglishTexts& texts, std::string& problem) {
    if (const auto code = parseHexTriple(word)) return FunctionWord{false, *code, {}};
    const NameMatch match = matchName(functions, word);
    if (match.value) {
        if (*match.value == kDefaultFunction) return FunctionWord{true, {}, {}};
        return FunctionWord{false, unpackCode(*match.value), {}};
    }
    if (match.candidates.empty()) {
        ParameterWord numbered = parseParameterWord(word, texts);
        if (!numbered.problem.empty()) {
            problem = std::move(numbered.problem);
            return std::nullopt;
        }
        if (numbered.code) return FunctionWord{false, *numbered.code, {}};
        if (numbered.macro) return FunctionWord{false, {}, std::move(numbered.macro)};
        if (const auto code = combination(word, texts)) return FunctionWord{false, *code, {}};
    }
    problem = nameProblem(match, word, "key or function", {});
    if (match.candidates.empty()) {
        problem +=
            " (a key such as G, F5 or Page Up, modifiers and a key such as Ctrl+Shift+G, a mouse button "
            "such as Left button, Fire key, macro NAME, Default, or a code TTAABB)";
    }
    return std::nullopt;
}

std::vector<NamedChoice> itemChoices(std::span<const key_table::Code> defaults,
                                     std::span<const NamedChoice> functions, const EnglishTexts& texts) {
    std::vector<NamedChoice> items;
    for (size_t j = 0; j < defaults.size(); ++j) {
        const key_table::Code& code = defaults[j];
        // A key with no function of its own ("Disabled") names nothing.
        if (code[0] == assign_type::kKeyboard && code[1] == 0 && code[2] == 0) continue;
        if (const NamedChoice* named = choiceOfValue(functions, packCode(code[0], code[1], code[2]))) {
            items.push_back({named->shown, named->names, named->aliases, static_cast<long>(j)});
            continue;
        }
        // Factory functions the editor does not offer by name ("DPI shift", "Fire key"); a keyboard code
        // without a key is a key with no function of its own, which names nothing.
        if (code[0] == assign_type::kKeyboard || code[0] == assign_type::kDefault) continue;
        const auto text = AssignmentTextFor(code[0], code[1], code[2], {});
        if (text && text->textIds.size() == 1) {
            items.push_back(textIdChoice(text->textIds.front(), static_cast<long>(j), texts));
        }
    }
    return items;
}

std::optional<size_t> parseItemWord(std::string_view word, size_t last, std::span<const NamedChoice> items,
                                    std::string_view what, std::string& problem) {
    if (const auto number = parseInteger(word, 1, static_cast<long>(last) + 1))
        return static_cast<size_t>(*number - 1);
    const std::string range = std::string(what) + " takes a number 1-" + std::to_string(last + 1) + " or a " +
                              std::string(what) + "'s name, not '" + std::string(word) + "'";
    // A number is always a number, never the name of the digit key it also spells.
    if (!word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        problem = range;
        return std::nullopt;
    }
    const NameMatch match = matchName(items, word);
    if (match.value) return static_cast<size_t>(*match.value);
    problem = match.candidates.empty() ? range : nameProblem(match, word, what, {});
    return std::nullopt;
}

std::string itemName(size_t j, std::span<const NamedChoice> items) {
    const NamedChoice* named = choiceOfValue(items, static_cast<long>(j));
    return named ? named->shown : std::string();
}

std::string assignmentName(const KeyAssignment& a, std::span<const std::string> macroNames,
                           std::span<const NamedChoice> functions, const EnglishTexts& texts) {
    if (std::string numbered = parameterName(a, macroNames, texts); !numbered.empty()) return numbered;
    if (key_table::IsMacroType(a.type)) {
        return a.code1 < macroNames.size() ? "macro " + macroNames[a.code1]
                                           : "macro " + std::to_string(a.code1 + 1);
    }
    const long value = packCode(a.type, a.code1, a.code2);
    if (const NamedChoice* named = choiceOfValue(functions, value)) return named->shown;
    std::string name;
    if (a.type == assign_type::kKeyboard && a.code1 != 0) {
        name = keyboardName(a.code1, a.code2, texts);
    } else if (const auto text = AssignmentTextFor(a.type, a.code1, a.code2, macroNames)) {
        // A literal is the page's text for a type it cannot name.
        for (const std::string_view id : text->textIds)
            name += (name.empty() ? "" : "+") + shownText(id, texts);
    }
    // A name that would give another code when typed (a factory DPI shift of other steps) is left out;
    // the code says it.
    return !name.empty() && namesCode(name, value, functions, texts) ? name : std::string();
}

std::string assignmentLine(const KeyAssignment& a, std::span<const std::string> macroNames,
                           std::span<const NamedChoice> functions, const EnglishTexts& texts) {
    const std::string code = hexTriple(a.type, a.code1, a.code2);
    const std::string name = assignmentName(a, macroNames, functions, texts);
    return name.empty() ? code : name + " (" + code + ")";
}

}  // namespace halvern::cli
