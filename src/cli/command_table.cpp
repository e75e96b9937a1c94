#include "cli/command_table.h"

#include <algorithm>
#include <array>

namespace halvern::cli {
namespace {

// Options several commands share.
constexpr OptionRow kKeyDevice{"--device", "mouse|keyboard", "mouse keyboard", "", "mouse"};
constexpr OptionRow kScreen{"--screen", "WxH", "", "", "1920x1080"};

constexpr std::array<OptionRow, 6> kGlobalOptions{{
    {"--emulate", "LIST", "mouse mouse-receiver keyboard keyboard-receiver mousepad headset", "", "mouse"},
    {"--emulator-state", "DIR", "", "", ""},
    {"--capture", "FILE", "", "", ""},
    {"--json", "", "", "", ""},
    {"--version", "", "", "", ""},
    {"--help", "", "", "", ""},
}};

constexpr std::array<OptionRow, 1> kDoctorOptions{{{"--udev-rules", "", "", "", ""}}};

constexpr std::array<OptionRow, 8> kEffectOptions{{
    {"--brightness", "0-4", "", "", "2"},
    {"--speed", "0-4", "", "", "2"},
    {"--direction", "0|1", "0 1", "", "1"},
    {"--multicolor", "0|1", "0 1", "", "1"},
    {"--color", "RRGGBB", "", "", "ff8000"},
    {"--zzcc", "0-255", "", "", "0"},
    {"--frames", "1-100000", "", "", "2"},
    {"--seed", "N", "", "", "7"},
}};

constexpr std::array<OptionRow, 7> kDpiOptions{{
    {"--slider", "P", "", "", "10"},
    {"--dpi", "D", "", "", "1600"},
    {"--y-slider", "P", "", "", "10"},
    {"--y-dpi", "D", "", "", "1600"},
    {"--enable", "0|1", "0 1", "", "1"},
    {"--color", "RRGGBB", "", "", "00ff00"},
    kScreen,
}};

constexpr std::array<OptionRow, 1> kScreenOnly{{kScreen}};
constexpr std::array<OptionRow, 2> kPollingOptions{{kKeyDevice, kScreen}};

constexpr std::array<OptionRow, 11> kLightOptions{{
    {"--device", "mouse|keyboard|mousepad|headset", "mouse keyboard mousepad headset", "", "mouse"},
    {"--mode", "MODE", "", "", "1"},
    {"--brightness", "0-4", "", "", "2"},
    {"--speed", "0-4", "", "", "2"},
    {"--direction", "0|1", "0 1", "", "1"},
    {"--multicolor", "0|1", "0 1", "", "0"},
    {"--color", "RRGGBB", "", "", "ff0000"},
    {"--zzcc", "0-3", "0 1 2 3", "", "0", "--device keyboard"},
    {"--group", "0-4", "0 1 2 3 4", "", "0", "--device keyboard"},
    {"--list", "", "", "", ""},
    kScreen,
}};

constexpr std::array<OptionRow, 3> kHeadsetOptions{{
    {"--on", "0|1", "0 1", "mic monitor voice", "1"},
    {"--level", "0-100", "", "mic monitor", "50"},
    {"--type", "1-4", "1 2 3 4", "voice", "2"},
}};

constexpr std::array<OptionRow, 2> kSameModeOptions{{
    {"--from", "KIND", "keyboard mouse mousepad headset", "", "mouse"},
    kScreen,
}};

constexpr std::array<OptionRow, 1> kKeyDeviceOnly{{kKeyDevice}};

constexpr std::array<OptionRow, 7> kMacroOptions{{
    kKeyDevice,
    {"--timing", "record|ignore|constant:MS", "record ignore constant:", "record", "ignore"},
    {"--append", "", "", "record", ""},
    {"--before", "ROW", "", "record", "1"},
    {"--after", "ROW", "", "record", "1"},
    {"--replace", "ROW", "", "record", "1"},
    {"--seconds", "1-3600", "", "record", "1"},
}};

constexpr std::array<OptionRow, 3> kRecoilOptions{{
    {"--x", "-255..255", "", "set", "3"},
    {"--y", "-255..255", "", "set", "-4"},
    {"--delay", "0-65535", "", "set", "90"},
}};

constexpr std::array<OptionRow, 3> kFlagsOptions{{
    {"--win-lock", "0|1", "0 1", "", "1"},
    {"--w", "0|1", "0 1", "", "0"},
    {"--key6", "0|1", "0 1", "", "0"},
}};

constexpr std::array<OptionRow, 2> kRepeatOptions{{
    {"--rate", "0-31", "", "", "10"},
    {"--delay", "0-3", "0 1 2 3", "", "1"},
}};

constexpr std::array<OptionRow, 3> kCustomColorOptions{{
    {"--all", "RRGGBB", "", "", "ff0000"},
    {"--key", "KEY RRGGBB", "", "", ""},
    {"--off", "", "", "", ""},
}};

constexpr std::array<OptionRow, 2> kUpdateOptions{{
    {"--server", "URL", "", "", ""},
    {"--json", "", "", "", ""},
}};

// The texts keep their line breaks: each synopsis line is one form, each details line is printed as it is.
// clang-format off
constexpr std::array<CommandRow, 21> kCommands{{
    {"list", "the device slots the attached devices claim",
     "list",
     "One line per claimed slot: its number, type, role, ids, interface, collection and path.",
     "", "", "", {}, true},
    {"doctor", "can this user open each device, and why not; the sound server and the display",
     "doctor [--udev-rules]",
     "One line per supported device node (can this user open it, and if not why and how to fix it),\n"
     "then the udev rules, the sound server and the display backend the macro recorder would use.\n"
     "Exit status 1 when it printed a fix. --udev-rules prints the udev rules that give the user\n"
     "at the computer access to the devices instead.",
     "", "", "", kDoctorOptions, true},
    {"info", "the device's information block (the headset's also names its sound library)",
     "info mouse|keyboard|mousepad|headset",
     "",
     "mouse keyboard mousepad headset", "", "", {}, true},
    {"effect", "light effect frames computed offline, without a device",
     "effect mouse|keyboard|mousepad|headset MODE [--brightness 0-4] [--speed 0-4] [--direction 0|1]\n"
     "       [--multicolor 0|1] [--color RRGGBB] [--zzcc 0-255] [--frames 1-100000] [--seed N]",
     "Prints the colours of each frame the effect computes, one line per frame (with --json, an\n"
     "array of frames).",
     "mouse keyboard mousepad headset", "", "", kEffectOptions, false},
    {"profile", "the profiles of a device kind",
     "profile KIND list|add|copy|delete|reset\n"
     "profile KIND rename NAME\n"
     "profile KIND select INDEX\n"
     "profile KIND export FILE|-\n"
     "profile KIND import FILE|-",
     "KIND is mouse, keyboard, mousepad or headset; INDEX counts from 1 as list shows it.\n"
     "select, add, copy, delete, reset and import write the selected profile to an attached device.\n"
     "FILE '-' is standard output (export) or standard input (import).",
     "mouse keyboard mousepad headset", "list add copy delete rename select reset export import",
     "export import", {}, true},
    {"show", "the settings the device holds",
     "show mouse|keyboard|mousepad|headset",
     "The mouse: its settings, keys and DPI stages; the keyboard: its settings and keys; the mouse\n"
     "pad and the headset: their light settings.",
     "mouse keyboard mousepad headset", "", "", {}, true},
    {"dpi", "one of the mouse's DPI stages",
     "dpi STAGE (--slider P | --dpi D) [--y-slider P | --y-dpi D] [--enable 0|1] [--color RRGGBB]\n"
     "    [--screen WxH]",
     "STAGE is 1-6. A DPI the mouse's step does not reach is rounded to the nearest it does.\n"
     "--screen is the screen size written with the settings (default 1920x1080).",
     "", "", "", kDpiOptions, true},
    {"dpi-active", "the mouse's active DPI stage",
     "dpi-active STAGE [--screen WxH]",
     "STAGE is 1-6; a stage that is switched off cannot be the active one.",
     "", "", "", kScreenOnly, true},
    {"polling", "the polling rate",
     "polling RATE [--device mouse|keyboard] [--screen WxH]",
     "RATE is the rate in Hz (mouse 125-2000, keyboard 125-1000) or its index (mouse 1-5,\n"
     "keyboard 1-4). --screen: the mouse only.",
     "", "", "", kPollingOptions, true},
    {"light", "the light effect: mode, brightness, speed, direction and colour",
     "light --mode MODE [--brightness 0-4] [--speed 0-4] [--direction 0|1] [--multicolor 0|1]\n"
     "      [--color RRGGBB] [--device mouse|keyboard] [--zzcc 0-3] [--group 0-4] [--screen WxH]\n"
     "light --device mousepad|headset --mode MODE [--brightness 0-4] [--speed 0-4] [--multicolor 0|1]\n"
     "      [--color RRGGBB]\n"
     "light [--device mouse|keyboard|mousepad|headset] --list",
     "MODE is a light mode's number or name, as --list prints them. Options not given keep their\n"
     "values. --zzcc and --group: the keyboard only; --screen: the mouse only. The mouse pad and the\n"
     "headset keep their own direction.",
     "", "", "", kLightOptions, true},
    {"headset", "the headset's microphone, monitor, voice effect, noise suppression, surround, equaliser and lights",
     "headset mic|monitor [--on 0|1] [--level 0-100]\n"
     "headset voice [--on 0|1] [--type 1-4]\n"
     "headset noise|surround [--on 0|1]\n"
     "headset eq PRESET|custom\n"
     "headset band BAND VALUE\n"
     "headset custom-eq save [NAME]|select INDEX|delete INDEX|list\n"
     "headset frame",
     "PRESET is 1-12; BAND 1-10 at VALUE -20..20; a saved equaliser's INDEX 1-20.\n"
     "Voices: 1 deep, 2 monster, 3 higher, 4 chipmunk. noise and surround are filters in the sound\n"
     "server and stay as set after the program ends.\n"
     "frame computes the current light frame and sends it once.",
     "mic monitor voice noise surround eq band custom-eq frame", "", "", kHeadsetOptions, true},
    {"same-mode", "every attached device takes one device's light effect, in step",
     "same-mode --from KIND [--screen WxH]",
     "KIND is keyboard, mouse, mousepad or headset. Its effect (breathing, static, blink, spectrum or\n"
     "off, with its brightness, speed, direction and colour) is mapped onto each device's own modes;\n"
     "exit status 1, with nothing written, when its mode has no shared effect.",
     "", "", "", kSameModeOptions, true},
    {"key", "what a mouse button or keyboard key does",
     "key [--device mouse|keyboard] KEY FUNCTION",
     "KEY is a button's number (mouse 1-11) or a key's (keyboard 1-18, 22-104, 106-126), or the name of\n"
     "what it does out of the box (Left button, W, Page Up). FUNCTION is a key or function name as show\n"
     "prints it\n"
     "(G, Ctrl+Shift+C, Page Up, Left button, Volume up, Fire key, Disabled, Default), a macro's\n"
     "name, or a code TTAABB. Names are the English ones the window shows, in any letter case, with\n"
     "or without spaces and hyphens; a number is always a number.",
     "", "", "", kKeyDeviceOnly, true},
    {"flags", "the keyboard's Windows-key lock, W and 6-key flags",
     "flags [--win-lock 0|1] [--w 0|1] [--key6 0|1]",
     "Without options, the current values.",
     "", "", "", kFlagsOptions, true},
    {"repeat", "the keyboard's key repeat (kept in the profile)",
     "repeat [--rate 0-31] [--delay 0-3]",
     "Without options, the current values.",
     "", "", "", kRepeatOptions, true},
    {"custom-color", "the keyboard's per-key colours",
     "custom-color --all RRGGBB | --key KEY RRGGBB | --off",
     "Sets the keyboard's custom-colour light mode on its cable.",
     "", "", "", kCustomColorOptions, true},
    {"macro", "the device's macros and their rows",
     "macro [--device mouse|keyboard] list | add | rename MACRO NAME | delete MACRO\n"
     "macro import FILE|- | export MACRO FILE|-\n"
     "macro show MACRO | insert MACRO ROW ITEM [N] | delete-row MACRO ROW\n"
     "macro move-row MACRO ROW up|down|top|bottom\n"
     "macro record MACRO --seconds 1-3600 [--timing record|ignore|constant:MS]\n"
     "      [--append | --before ROW | --after ROW | --replace ROW]",
     "MACRO and ROW count from 1 as list and show print them. ITEM is a key or button name\n"
     "(left_click ...) or a move (move-left N ...). record takes the X display's keys and buttons.\n"
     "FILE '-' is standard output (export) or standard input (import).",
     "list add rename delete import export show insert delete-row move-row record", "", "import export",
     kMacroOptions, true},
    {"write-macros", "the macros the keys use (and the mouse's recoil patterns), into the device",
     "write-macros [--device mouse|keyboard]",
     "",
     "", "", "", kKeyDeviceOnly, true},
    {"recoil", "the mouse's four recoil patterns",
     "recoil show GUN [SHOT]\n"
     "recoil set GUN SHOT --x N --y N --delay MS\n"
     "recoil reset GUN\n"
     "recoil import GUN FILE|-\n"
     "recoil export GUN FILE|-",
     "GUN is 1-4, SHOT 1-30; --x and --y -255..255 (negative: left, up), --delay 0-65535 ms.\n"
     "FILE '-' is standard output (export) or standard input (import).",
     "show set reset import export", "", "import export", kRecoilOptions, true},
    {"update-check", "newer firmware for the attached devices or a newer Halvern",
     "update-check [--server URL]",
     "The server: --server, HALVERN_UPDATE_URL or \"UpdateServer\" in\n"
     "~/.config/Halvern/settings.json. Exit status 1 when none is configured or none answers.",
     "", "", "", kUpdateOptions, false},
    {"language", "the window's languages, the chosen one marked; or choose one",
     "language [INDEX]",
     "INDEX counts from 1 as the list shows it.",
     "", "", "", {}, false},
}};
// clang-format on

}  // namespace

std::span<const CommandRow> commandTable() {
    return kCommands;
}

const CommandRow* findCommandRow(std::string_view name) {
    for (const CommandRow& command : kCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

const OptionRow* findOptionRow(const CommandRow& command, std::string_view name) {
    for (const OptionRow& option : command.options) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

std::span<const OptionRow> globalOptionTable() {
    return kGlobalOptions;
}

std::string_view WordList::next() {
    const size_t start = m_text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        m_text = {};
        return {};
    }
    m_text.remove_prefix(start);
    const size_t end = std::min(m_text.find(' '), m_text.size());
    const std::string_view word = m_text.substr(0, end);
    m_text.remove_prefix(end);
    return word;
}

bool WordList::contains(std::string_view list, std::string_view word) {
    WordList words(list);
    for (std::string_view w = words.next(); !w.empty(); w = words.next()) {
        if (w == word) return true;
    }
    return false;
}

}  // namespace halvern::cli
