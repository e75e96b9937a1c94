#include "cli/global_options.h"

#include <sstream>
#include <string_view>

#include "emulator/emulator_types.h"

namespace halvern::cli {
namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

}  // namespace

const char* usageText() {
    // The usage text keeps its columns.
    // clang-format off
    return "usage: halvernctl [--emulate LIST] [--emulator-state DIR] [--capture FILE] [--json] COMMAND ...\n"
           "       halvernctl --version | --help\n"
           "  LIST: comma list of mouse, mouse-receiver, keyboard, keyboard-receiver, mousepad, headset\n"
           "commands:\n"
           "  list                          claimed device slots\n"
           "  doctor [--udev-rules]         can this user open each device, and why not; sound and display\n"
           "                                (--udev-rules prints the udev rules that give the user access)\n"
           "  info mouse|keyboard|mousepad  the device's information block\n"
           "  info headset                  the headset's information block and its sound library\n"
           "  effect DEVICE MODE [...]      compute light effect frames offline (see 'effect --help')\n"
           "  profile KIND VERB [WORD]      profiles of a kind: list, add, copy, delete, rename NAME,\n"
           "                                select INDEX, reset, export FILE, import FILE\n"
           "  show mouse|keyboard           the device's settings, keys and (mouse) DPI stages\n"
           "  show mousepad|headset         the light settings and the record read from the device\n"
           "  dpi STAGE (--slider P | --dpi D) [--y-slider P | --y-dpi D] [--enable 0|1]\n"
           "      [--color RRGGBB]          one of the mouse's DPI stages\n"
           "  dpi-active STAGE              the mouse's active DPI stage (0-5)\n"
           "  polling RATE                  the polling rate in Hz (mouse 125-2000, keyboard 125-1000)\n"
           "                                or its index (mouse 0-4, keyboard 0-3)\n"
           "  light --mode MODE [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1]\n"
           "        [--color RRGGBB] [--zzcc 0-3] [--group 0-4]   (the last two: keyboard only)\n"
           "  light --list                  the device's light modes, by number and name\n"
           "  light --device mousepad|headset --mode MODE [--brightness 0-4] [--speed 0-4]\n"
           "        [--multicolor 0|1] [--color RRGGBB]   (the direction is the device's own)\n"
           "  headset mic|monitor [--on 0|1] [--level 0-100] | headset voice [--on 0|1] [--type 1-4]\n"
           "                                the headset's microphone, monitor and voice effect\n"
           "  headset eq PRESET|custom | headset band INDEX VALUE\n"
           "                                the headset's equaliser: preset 1-12, or band 0-9 at -20..20\n"
           "  headset custom-eq save [NAME]|select INDEX|delete INDEX|list\n"
           "                                the headset's saved equalisers (up to 20)\n"
           "  headset frame                 computes the current light frame and sends it once\n"
           "  same-mode --from KIND         every attached device takes KIND's light effect, in step\n"
           "    (the mouse's dpi, dpi-active, polling and light take --screen WxH, the screen size\n"
           "     written with the settings; default 1920x1080)\n"
           "  key KEY FUNCTION              what a mouse button (0-10) or keyboard key (0-169) does\n"
           "  macro list|add|rename POS NAME|delete POS|import FILE|export POS FILE\n"
           "                                the device's macros\n"
           "  macro show POS | insert POS ROW ITEM [N] | delete-row POS ROW | move-row POS ROW up|down|top|bottom\n"
           "                                a macro's rows (ITEM: left_click ..., move-left N ...)\n"
           "  macro record POS [--timing record|ignore|constant:MS] [--append|--before ROW|--after ROW|\n"
           "         --replace ROW] --seconds N   records the X display's keys and buttons into a macro\n"
           "  recoil show GUN [SHOT] | set GUN SHOT --x N --y N --delay MS | reset GUN |\n"
           "         import GUN FILE | export GUN FILE\n"
           "                                the mouse's four recoil patterns (GUN 0-3, SHOT 1-30)\n"
           "  write-macros                  the macros the device's keys use (and the mouse's recoil\n"
           "                                patterns), into its memory\n"
           "    (polling, light, key, macro and write-macros take --device mouse|keyboard; without\n"
           "     it the mouse when one is attached, else the keyboard)\n"
           "  flags [--win-lock 0|1] [--w 0|1] [--key6 0|1]\n"
           "                                the keyboard's Windows-key lock, W and 6-key flags\n"
           "  repeat [--rate 0-31] [--delay 0-3]\n"
           "                                the keyboard's key repeat (kept in the profile)\n"
           "  custom-color (--all RRGGBB | --key KEY RRGGBB | --off)\n"
           "                                the keyboard's per-key colours (mode 20)\n"
           "  update-check [--server URL]   newer firmware for the attached devices or a newer Halvern?\n"
           "                                (the server: --server, HALVERN_UPDATE_URL or \"UpdateServer\"\n"
           "                                in ~/.config/Halvern/settings.json)\n"
           "  language [INDEX]              the window's languages, the chosen one marked; or choose one\n"
           "names:\n"
           "  MODE is a light mode's number or name (see light --list); KEY a button's or key's\n"
           "  number, or the name of what it does out of the box (left, W, Page Up); FUNCTION a key\n"
           "  or function name (G, Ctrl+C, Page Up, Left button, Volume up, Default) or a code TTAABB.\n"
           "  Names are the English ones the window shows, in any letter case, with or without spaces\n"
           "  and hyphens; a number is always a number.\n"
           "Every command that changes something says what it did in one line. With --json, list,\n"
           "info, effect, show, light --list, macro list, update-check and language print JSON.\n";
    // clang-format on
}

std::optional<GlobalOptions> parseGlobalOptions(const std::vector<std::string>& words, std::ostream& err) {
    GlobalOptions options;
    size_t i = 0;
    // Options with a value take it from the next word or after "=".
    auto value = [&](std::string_view word, std::string_view name, std::string& into) -> int {
        if (word == name) {
            if (i + 1 >= words.size()) {
                err << "halvernctl: " << name << " needs a value\n";
                return -1;
            }
            into = words[++i];
            return 1;
        }
        if (word.size() > name.size() && word.substr(0, name.size()) == name && word[name.size()] == '=') {
            into = std::string(word.substr(name.size() + 1));
            return 1;
        }
        return 0;
    };
    for (; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.empty() || word[0] != '-') break;
        std::string emulate;
        int taken = 0;
        if (word == "--json") {
            options.json = true;
        } else if (word == "--help" || word == "-h") {
            options.help = true;
        } else if (word == "--version") {
            options.version = true;
        } else if ((taken = value(word, "--emulate", emulate)) != 0) {
            if (taken < 0) return std::nullopt;
            for (const std::string& name : splitList(emulate)) {
                if (!emu::parseDeviceName(name)) {
                    err << "halvernctl: unknown device to emulate: " << name << '\n';
                    return std::nullopt;
                }
                options.emulate.push_back(name);
            }
            if (options.emulate.empty()) {
                err << "halvernctl: --emulate needs at least one device\n";
                return std::nullopt;
            }
        } else if ((taken = value(word, "--emulator-state", options.emulatorState)) != 0 ||
                   (taken = value(word, "--capture", options.capture)) != 0) {
            if (taken < 0) return std::nullopt;
        } else {
            err << "halvernctl: unknown option " << word << '\n';
            return std::nullopt;
        }
    }
    if (i < words.size()) {
        options.command = words[i];
        options.args.assign(words.begin() + static_cast<ptrdiff_t>(i) + 1, words.end());
    }
    if (options.emulate.empty() && (!options.emulatorState.empty() || !options.capture.empty())) {
        err << "halvernctl: --emulator-state and --capture work only with --emulate\n";
        return std::nullopt;
    }
    return options;
}

}  // namespace halvern::cli
