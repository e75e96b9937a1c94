// `key`: one assignment of a mouse button or a keyboard key, written as the key editor's save does.

#include <algorithm>
#include <cctype>

#include "cli/cli_support.h"
#include "cli/json_output.h"
#include "cli/key_device.h"
#include "cli/key_names.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/option_words.h"
#include "cli/shared_commands.h"

namespace halvern::cli {
namespace {

/// What differs between the devices: names in messages, the items and their factory functions.
struct KeyTarget {
    std::string_view device;  ///< "mouse"
    std::string_view item;    ///< "button"
    std::string_view usage;
    std::span<const key_table::Code> defaults;  ///< each item's function out of the box, which names it
};

const KeyTarget kMouseTarget{"mouse", "button", "halvernctl key BUTTON FUNCTION",
                             CMerivexMouseDevice::kButtonCodes};
const KeyTarget kKeyboardTarget{"keyboard", "key", "halvernctl key --device keyboard KEY FUNCTION",
                                CMerivexKeyboardDevice::kKeyCodes};

/// A key command line read: the item, the function and the names that go with them.
struct KeyRequest {
    size_t item = 0;
    FunctionWord function;
    std::vector<NamedChoice> functions;
    std::vector<NamedChoice> items;
};

bool itemPresent(const CMerivexMouseDevice& device, size_t j) {
    return device.buttonPresent(j);
}
bool itemPresent(const CMerivexKeyboardDevice& device, size_t j) {
    return device.keyPresent(j);
}
/// Whether the assignment takes away the last left click (a mouse that cannot click any more).
bool takesLastLeftClick(const CMerivexMouseDevice& device, size_t j, const KeyAssignment& assignment) {
    return device.TakesLastLeftClick(j, assignment);
}
bool takesLastLeftClick(const CMerivexKeyboardDevice&, size_t, const KeyAssignment&) {
    return false;
}

/// The item and the function of a key command line (each a number or code, or a name); nothing after a
/// usage line.
std::optional<KeyRequest> keyWords(const CommandContext& context, const CommandArgs& args, const KeyTarget& t,
                                   const EnglishTexts& texts) {
    KeyRequest request;
    request.functions = functionChoices(texts);
    request.items = itemChoices(t.defaults, request.functions, texts);
    std::string problem;
    if (args.size() != 2) problem = "expects a " + std::string(t.item) + " and a function";
    std::optional<size_t> item;
    if (problem.empty() && t.device == "keyboard") {
        item = parseKeyboardKey(args[0], request.items, problem);
    } else if (problem.empty()) {
        item = parseItemWord(args[0], t.defaults.size() - 1, request.items, t.item, problem);
    }
    const auto function = item ? parseFunctionWord(args[1], request.functions, texts, problem) : std::nullopt;
    if (!function) {
        (void)usageError(context, "key", problem, t.usage);
        return std::nullopt;
    }
    request.item = *item;
    request.function = *function;
    return request;
}

/// "button 3 (Forward)", or "button 3" when the item has no name.
std::string itemLabel(const KeyTarget& t, size_t j, std::span<const NamedChoice> items) {
    const std::string name = itemName(j, items);
    return std::string(t.item) + " " + std::to_string(j + 1) + (name.empty() ? "" : " (" + name + ")");
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

/// The code of a macro named on the line: its number in the device's list with the word's repeat. The name
/// as it is written (the list holds no two names that differ only in case) comes before the looser match
/// without spaces and hyphens, under which "Jump up" and "Jumpup" would be one name.
std::optional<key_table::Code> macroCode(const CommandContext& context, const MacroWord& word,
                                         std::span<const std::string> macroNames, const KeyTarget& t) {
    std::vector<NamedChoice> macros;
    for (size_t i = 0; i < macroNames.size(); ++i)
        macros.push_back({macroNames[i], {macroNames[i]}, {}, static_cast<long>(i)});
    NameMatch match;
    const auto same = std::ranges::find_if(
        macroNames, [&](const std::string& n) { return sameIgnoringCase(n, word.name); });
    if (same != macroNames.end()) match.value = same - macroNames.begin();
    if (!match.value) match = matchName(macros, word.name);
    if (!match.value || *match.value > 0xFF) {
        (void)usageError(context, "key", nameProblem(match, word.name, "macro", macros), t.usage);
        return std::nullopt;
    }
    return key_table::Code{word.type, static_cast<uint8_t>(*match.value), word.repeat};
}

template <class Device>
int assignKey(const CommandContext& context, PageSession<Device>& session, const KeyRequest& request,
              const KeyTarget& t, const EnglishTexts& texts) {
    Device& device = *session.device;
    const size_t j = request.item;
    if (session.answered() && !itemPresent(device, j)) {
        return usageError(
            context, "key",
            std::string(t.item) + " " + std::to_string(j + 1) + " is not on this " + std::string(t.device),
            t.usage);
    }
    if (j >= device.keyList().size()) {
        context.err << "halvernctl: the profile holds no assignment for " << t.item << ' ' << j << '\n';
        return kExitDeviceError;
    }
    const KeyAssignment& own = device.keyList()[j].defaults;
    key_table::Code code =
        request.function.useDefault ? key_table::Code{own.type, own.code1, own.code2} : request.function.code;
    if (request.function.macro) {
        const auto named = macroCode(context, *request.function.macro, device.macroNames(), t);
        if (!named) return kExitUsage;
        code = *named;
    }
    const KeyAssignment assignment{static_cast<uint16_t>(j), code[0], code[1], code[2]};
    if (key_table::IsMacroType(assignment.type)) {
        const size_t macros = device.macroNames().size();
        if (assignment.code1 >= macros) {
            return usageError(context, "key",
                              "there is no macro " + std::to_string(assignment.code1 + 1) +
                                  " (the list holds " + std::to_string(macros) + ")",
                              t.usage);
        }
    }
    if (takesLastLeftClick(device, j, assignment)) {
        context.err << "halvernctl: " << itemLabel(t, j, request.items)
                    << " is the last button doing left click; give left click to another button first\n";
        return kExitDeviceError;
    }
    KeyListEntry entry = device.keyList()[j];
    entry.current = assignment;
    const int result =
        reportRefusal(context, t.device, "key assignment", device.Await([&](CMerivexUSBDevice::Done done) {
            device.SetKeyAssignment(j, entry, std::move(done));
        }));
    if (result != kExitOk) return result;
    if (context.json) {
        const KeyAssignment& now = device.keyList()[j].current;
        Json::Value item(Json::objectValue);
        item[std::string(t.item)] = static_cast<int>(j) + 1;
        if (const std::string name = itemName(j, request.items); !name.empty()) item["name"] = name;
        item["code"] = hexTriple(now.type, now.code1, now.code2);
        item["function"] = assignmentName(now, device.macroNames(), request.functions, texts);
        Json::Value out = changeResult(t.device, "key", "set");
        out[std::string(t.item)] = item;
        printJson(context.out, out);
        return kExitOk;
    }
    context.out << itemLabel(t, j, request.items) << ": "
                << assignmentLine(device.keyList()[j].current, device.macroNames(), request.functions, texts)
                << ", written to the " << t.device << '\n';
    return kExitOk;
}

template <class Open>
int keyOnDevice(const CommandContext& context, const CommandArgs& args, const KeyTarget& t, Open open) {
    const EnglishTexts texts;
    const auto request = keyWords(context, withoutEndOfOptions(args), t, texts);
    if (!request) return kExitUsage;
    auto session = open(context);
    if (!session) return kExitDeviceError;
    return assignKey(context, *session, *request, t, texts);
}

int mouseKey(const CommandContext& context, const CommandArgs& args) {
    return keyOnDevice(context, args, kMouseTarget, openMouse);
}

int keyboardKey(const CommandContext& context, const CommandArgs& args) {
    return keyOnDevice(context, args, kKeyboardTarget, openKeyboard);
}

}  // namespace

int runKeyCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "key", mouseKey, keyboardKey);
}

}  // namespace halvern::cli
