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
    for (size_t row = kFirstPlainKeyRow; row < static_cast<size_t>(kCapturableKeyRows); ++row) {
        const KeyCodeRow& key = KeyCodeTable[row];
        if (key.type == assign_type::kKeyboard && key.code1 == 0)
            keys.push_back(textIdChoice(key.name, key.code2, texts));
    }
    const NameMatch match = matchName(keys, word);
    if (!match.value) return std::nullopt;
    return static_cast<uint8_t>(*match.value);
}

/// "MODIFIER+KEY" as the key editor combines them (one modifier box and a key); nothing otherwise.
std::optional<key_table::Code> combination(std::string_view word, const EnglishTexts& texts) {
    for (size_t plus = word.find('+'); plus != std::string_view::npos; plus = word.find('+', plus + 1)) {
        if (plus == 0 || plus + 1 >= word.size()) continue;
        const uint8_t mask = modifierMask(word.substr(0, plus), texts);
        const auto usage = mask != 0 ? plainKeyUsage(word.substr(plus + 1), texts) : std::nullopt;
        if (usage) return key_table::Code{assign_type::kKeyboard, mask, *usage};
    }
    return std::nullopt;
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
    if (const auto code = parseHexTriple(word)) return FunctionWord{false, *code};
    const NameMatch match = matchName(functions, word);
    if (match.value) {
        if (*match.value == kDefaultFunction) return FunctionWord{true, {}};
        return FunctionWord{false, unpackCode(*match.value)};
    }
    if (match.candidates.empty()) {
        if (const auto code = combination(word, texts)) return FunctionWord{false, *code};
    }
    problem = nameProblem(match, word, "key or function", {});
    if (match.candidates.empty()) {
        problem +=
            " (a key such as G, F5 or Page Up, a modifier and a key such as Ctrl+G, a mouse button such "
            "as Left button, Default, or a code TTAABB)";
    }
    return std::nullopt;
}

std::vector<NamedChoice> itemChoices(std::span<const key_table::Code> defaults,
                                     std::span<const NamedChoice> functions, const EnglishTexts& texts) {
    std::vector<NamedChoice> items;
    for (size_t j = 0; j < defaults.size(); ++j) {
        const key_table::Code& code = defaults[j];
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
    if (key_table::IsMacroType(a.type)) {
        return a.code1 < macroNames.size() ? "macro " + macroNames[a.code1]
                                           : "macro " + std::to_string(a.code1 + 1);
    }
    if (const NamedChoice* named = choiceOfValue(functions, packCode(a.type, a.code1, a.code2)))
        return named->shown;
    const auto text = AssignmentTextFor(a.type, a.code1, a.code2, macroNames);
    if (!text || text->textIds.empty()) return {};  // a literal is the page's text for a type it cannot name
    std::string name;
    for (const std::string_view id : text->textIds) name += (name.empty() ? "" : "+") + shownText(id, texts);
    return name;
}

std::string assignmentLine(const KeyAssignment& a, std::span<const std::string> macroNames,
                           std::span<const NamedChoice> functions, const EnglishTexts& texts) {
    const std::string code = hexTriple(a.type, a.code1, a.code2);
    const std::string name = assignmentName(a, macroNames, functions, texts);
    return name.empty() ? code : name + " (" + code + ")";
}

}  // namespace halvern::cli
