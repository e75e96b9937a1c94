// `key`: one assignment of a mouse button or a keyboard key, written as the key editor's save does.

#include "cli/cli_support.h"
#include "cli/key_device.h"
#include "cli/keyboard_session.h"
#include "cli/mouse_session.h"
#include "cli/shared_commands.h"
#include "input/event_image.h"
#include "input/macro_store.h"

namespace halvern::cli {
namespace {

constexpr size_t kMacroMemoryUnit = 128;

/// What differs between the devices: names in messages and the range of the index.
struct KeyTarget {
    std::string_view device;    ///< "mouse"
    std::string_view item;      ///< "button"
    std::string_view itemWord;  ///< "BUTTON", as the usage names it
    std::string_view usage;
    long last = 0;
};

constexpr KeyTarget kMouseTarget{"mouse", "button", "BUTTON", "halvernctl key BUTTON TTAABB",
                                 static_cast<long>(CMerivexMouseDevice::kButtonCount) - 1};
constexpr KeyTarget kKeyboardTarget{"keyboard", "key", "KEY", "halvernctl key --device keyboard KEY TTAABB",
                                    static_cast<long>(CMerivexKeyboardDevice::kKeyCount) - 1};

bool itemPresent(const CMerivexMouseDevice& device, size_t j) {
    return device.buttonPresent(j);
}
bool itemPresent(const CMerivexKeyboardDevice& device, size_t j) {
    return device.keyPresent(j);
}
auto itemSlots(const CMerivexMouseDevice& device) {
    return device.buttonSlots();
}
auto itemSlots(const CMerivexKeyboardDevice& device) {
    return device.keySlots();
}

/// How many events a macro image would be over the device's memory with item `j` assigned `assignment`
/// (0 when it fits), so that a key table naming a macro is never written when its macros cannot be.
template <class Device>
int macroOverflowWith(const Device& device, size_t j, const KeyAssignment& assignment) {
    std::vector<KeyListEntry> keys = device.keyList();
    keys[j].current = assignment;
    std::vector<int> keyMap;
    for (const uint8_t slot : itemSlots(device)) {
        keyMap.push_back(slot == Device::kAbsentMarker ? key_table::kAbsent : slot);
    }
    const MacroStore store(device.UserFolder());
    const std::vector<MacroEntry> list = store.LoadMacroList();
    std::vector<size_t> counts;
    for (const uint8_t number : key_table::UsedMacros(keys, keyMap, list.size())) {
        counts.push_back(store.LoadMacro(list[number].guid).size());
    }
    const size_t limit = static_cast<size_t>(device.info()[6]) * kMacroMemoryUnit;
    return MacroOverflowCount(EventImageSize(counts), limit);
}

/// The item and the code of a key command line; nothing after a usage line.
std::optional<std::pair<size_t, std::array<uint8_t, 3>>> keyWords(const CommandContext& context,
                                                                  const CommandArgs& args,
                                                                  const KeyTarget& t) {
    std::string problem;
    if (args.size() != 2) problem = "expects a " + std::string(t.item) + " and a code";
    const auto item = problem.empty() ? integerWord(args[0], t.itemWord, 0, t.last, problem) : std::nullopt;
    const auto code = item ? parseHexTriple(args[1]) : std::nullopt;
    if (item && !code) problem = "the code takes six hex digits TTAABB, not '" + args[1] + "'";
    if (!problem.empty()) {
        (void)usageError(context, "key", problem, t.usage);
        return std::nullopt;
    }
    return std::pair{static_cast<size_t>(*item), *code};
}

template <class Device>
int assignKey(const CommandContext& context, PageSession<Device>& session, size_t j,
              const std::array<uint8_t, 3>& code, const KeyTarget& t) {
    Device& device = *session.device;
    if (session.answered() && !itemPresent(device, j)) {
        return usageError(
            context, "key",
            std::string(t.item) + " " + std::to_string(j) + " is not on this " + std::string(t.device),
            t.usage);
    }
    if (j >= device.keyList().size()) {
        context.err << "halvernctl: the profile holds no assignment for " << t.item << ' ' << j << '\n';
        return kExitDeviceError;
    }
    const KeyAssignment assignment{static_cast<uint16_t>(j), code[0], code[1], code[2]};
    if (key_table::IsMacroType(assignment.type)) {
        const size_t macros = device.macroNames().size();
        if (assignment.code1 >= macros) {
            return usageError(context, "key",
                              "there is no macro " + std::to_string(assignment.code1) + " (the list holds " +
                                  std::to_string(macros) + ")",
                              t.usage);
        }
        if (session.answered()) {
            if (const int overflow = macroOverflowWith(device, j, assignment); overflow > 0) {
                return reportMacroWrite(context, overflow, t.device);
            }
        }
    }
    KeyListEntry entry = device.keyList()[j];
    entry.current = assignment;
    return reportRefusal(context, t.device, "key assignment", device.Await([&](CMerivexUSBDevice::Done done) {
                             device.SetKeyAssignment(j, entry, std::move(done));
                         }));
}

int mouseKey(const CommandContext& context, const CommandArgs& args) {
    const auto words = keyWords(context, args, kMouseTarget);
    if (!words) return kExitUsage;
    auto session = openMouse(context);
    if (!session) return kExitDeviceError;
    return assignKey(context, *session, words->first, words->second, kMouseTarget);
}

int keyboardKey(const CommandContext& context, const CommandArgs& args) {
    const auto words = keyWords(context, args, kKeyboardTarget);
    if (!words) return kExitUsage;
    auto session = openKeyboard(context);
    if (!session) return kExitDeviceError;
    return assignKey(context, *session, words->first, words->second, kKeyboardTarget);
}

}  // namespace

int runKeyCommand(const CommandContext& context, const CommandArgs& args) {
    return runOnKeyDevice(context, args, "key", mouseKey, keyboardKey);
}

}  // namespace halvern::cli
