#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace halvern {

/// Type byte of a key assignment: what the two code bytes mean.
namespace assign_type {
inline constexpr uint8_t kDefault = 0x00;         ///< the key's own function
inline constexpr uint8_t kMouseButton = 0x10;     ///< button mask
inline constexpr uint8_t kSwing = 0x11;           ///< delay<<4|speed, count with direction in bit 7
inline constexpr uint8_t kWheel = 0x12;           ///< delay<<4|speed, count or (128 - count)|0x80
inline constexpr uint8_t kDpi = 0x13;             ///< 1 up, 2 down, 3 cycle
inline constexpr uint8_t kFire = 0x14;            ///< interval, count
inline constexpr uint8_t kDpiShift = 0x16;        ///< DPI shift while held (factory tables only)
inline constexpr uint8_t kKeyboard = 0x20;        ///< modifier mask, HID keyboard usage
inline constexpr uint8_t kDeviceShortcut = 0x22;  ///< 0, shortcut index 0..8
inline constexpr uint8_t kShowWindow = 0x23;      ///< shows the application window
inline constexpr uint8_t kConsumer = 0x30;        ///< consumer usage, low byte then high byte
inline constexpr uint8_t kSystem = 0x40;          ///< 1 power, 2 sleep, 4 wake-up
inline constexpr uint8_t kMacroMode = 0x70;       ///< macro index, repeat mode 0..3
inline constexpr uint8_t kMacroCount = 0x71;      ///< macro index, repeat count
inline constexpr uint8_t kRecoil = 0x72;          ///< recoil pattern index 0..3
inline constexpr uint8_t kSpecial = 0xA0;         ///< 1 Fn, 0x1B game mode (2 and 0 in mouse tables)
inline constexpr uint8_t kCategory11 = 0xB0;      ///< shown in editor category 11
inline constexpr uint8_t kMacroKey = 0xD0;        ///< 0xA2, M-key number 1..5
}  // namespace assign_type

/// Modifier masks of the first code byte of a keyboard assignment.
namespace modifier {
inline constexpr uint8_t kLeftCtrl = 0x01;
inline constexpr uint8_t kLeftShift = 0x02;
inline constexpr uint8_t kLeftAlt = 0x04;
inline constexpr uint8_t kLeftWin = 0x08;
}  // namespace modifier

/// One key the editor knows: its language text id, Windows virtual-key code (some rows use codes above
/// 0xFF that no real key has), PC/AT set-1 scan code with the E0 flag, and its three-byte function code.
struct KeyCodeRow {
    std::string_view name;
    uint16_t virtualKey;
    uint8_t scan;
    bool extended;
    uint8_t type, code1, code2;
};

/// Rows 0-7 modifiers, 8-112 keys that can be captured or recorded (found by scan code), 113 a key that
/// can only be shown, 114-131 consumer keys, 132-134 system keys, 135-139 M1-M5, 140 Fn, 141 game mode.
inline constexpr std::array<KeyCodeRow, 142> KeyCodeTable{{
    KeyCodeRow{"keyboard_key_LCtrl", 0xA2, 0x1D, false, 0x20, 0x01, 0x00},                // 0
    KeyCodeRow{"keyboard_key_LShift", 0xA0, 0x2A, false, 0x20, 0x02, 0x00},               // 1
    KeyCodeRow{"keyboard_key_LAlt", 0xA4, 0x38, false, 0x20, 0x04, 0x00},                 // 2
    KeyCodeRow{"keyboard_key_LWin", 0x5B, 0x5B, true, 0x20, 0x08, 0x00},                  // 3
    KeyCodeRow{"keyboard_key_RCtrl", 0xA3, 0x1D, true, 0x20, 0x10, 0x00},                 // 4
    KeyCodeRow{"keyboard_key_RShift", 0xA1, 0x36, true, 0x20, 0x20, 0x00},                // 5
    KeyCodeRow{"keyboard_key_RAlt", 0xA5, 0x38, true, 0x20, 0x40, 0x00},                  // 6
    KeyCodeRow{"keyboard_key_RWin", 0x5C, 0x5C, true, 0x20, 0x80, 0x00},                  // 7
    KeyCodeRow{"keyboard_key_A", 0x41, 0x1E, false, 0x20, 0x00, 0x04},                    // 8
    KeyCodeRow{"keyboard_key_B", 0x42, 0x30, false, 0x20, 0x00, 0x05},                    // 9
    KeyCodeRow{"keyboard_key_C", 0x43, 0x2E, false, 0x20, 0x00, 0x06},                    // 10
    KeyCodeRow{"keyboard_key_D", 0x44, 0x20, false, 0x20, 0x00, 0x07},                    // 11
    KeyCodeRow{"keyboard_key_E", 0x45, 0x12, false, 0x20, 0x00, 0x08},                    // 12
    KeyCodeRow{"keyboard_key_F", 0x46, 0x21, false, 0x20, 0x00, 0x09},                    // 13
    KeyCodeRow{"keyboard_key_G", 0x47, 0x22, false, 0x20, 0x00, 0x0A},                    // 14
    KeyCodeRow{"keyboard_key_H", 0x48, 0x23, false, 0x20, 0x00, 0x0B},                    // 15
    KeyCodeRow{"keyboard_key_I", 0x49, 0x17, false, 0x20, 0x00, 0x0C},                    // 16
    KeyCodeRow{"keyboard_key_J", 0x4A, 0x24, false, 0x20, 0x00, 0x0D},                    // 17
    KeyCodeRow{"keyboard_key_K", 0x4B, 0x25, false, 0x20, 0x00, 0x0E},                    // 18
    KeyCodeRow{"keyboard_key_L", 0x4C, 0x26, false, 0x20, 0x00, 0x0F},                    // 19
    KeyCodeRow{"keyboard_key_M", 0x4D, 0x32, false, 0x20, 0x00, 0x10},                    // 20
    KeyCodeRow{"keyboard_key_N", 0x4E, 0x31, false, 0x20, 0x00, 0x11},                    // 21
    KeyCodeRow{"keyboard_key_O", 0x4F, 0x18, false, 0x20, 0x00, 0x12},                    // 22
    KeyCodeRow{"keyboard_key_P", 0x50, 0x19, false, 0x20, 0x00, 0x13},                    // 23
    KeyCodeRow{"keyboard_key_Q", 0x51, 0x10, false, 0x20, 0x00, 0x14},                    // 24
    KeyCodeRow{"keyboard_key_R", 0x52, 0x13, false, 0x20, 0x00, 0x15},                    // 25
    KeyCodeRow{"keyboard_key_S", 0x53, 0x1F, false, 0x20, 0x00, 0x16},                    // 26
    KeyCodeRow{"keyboard_key_T", 0x54, 0x14, false, 0x20, 0x00, 0x17},                    // 27
    KeyCodeRow{"keyboard_key_U", 0x55, 0x16, false, 0x20, 0x00, 0x18},                    // 28
    KeyCodeRow{"keyboard_key_V", 0x56, 0x2F, false, 0x20, 0x00, 0x19},                    // 29
    KeyCodeRow{"keyboard_key_W", 0x57, 0x11, false, 0x20, 0x00, 0x1A},                    // 30
    KeyCodeRow{"keyboard_key_X", 0x58, 0x2D, false, 0x20, 0x00, 0x1B},                    // 31
    KeyCodeRow{"keyboard_key_Y", 0x59, 0x15, false, 0x20, 0x00, 0x1C},                    // 32
    KeyCodeRow{"keyboard_key_Z", 0x5A, 0x2C, false, 0x20, 0x00, 0x1D},                    // 33
    KeyCodeRow{"keyboard_key_1", 0x31, 0x02, false, 0x20, 0x00, 0x1E},                    // 34
    KeyCodeRow{"keyboard_key_2", 0x32, 0x03, false, 0x20, 0x00, 0x1F},                    // 35
    KeyCodeRow{"keyboard_key_3", 0x33, 0x04, false, 0x20, 0x00, 0x20},                    // 36
    KeyCodeRow{"keyboard_key_4", 0x34, 0x05, false, 0x20, 0x00, 0x21},                    // 37
    KeyCodeRow{"keyboard_key_5", 0x35, 0x06, false, 0x20, 0x00, 0x22},                    // 38
    KeyCodeRow{"keyboard_key_6", 0x36, 0x07, false, 0x20, 0x00, 0x23},                    // 39
    KeyCodeRow{"keyboard_key_7", 0x37, 0x08, false, 0x20, 0x00, 0x24},                    // 40
    KeyCodeRow{"keyboard_key_8", 0x38, 0x09, false, 0x20, 0x00, 0x25},                    // 41
    KeyCodeRow{"keyboard_key_9", 0x39, 0x0A, false, 0x20, 0x00, 0x26},                    // 42
    KeyCodeRow{"keyboard_key_0", 0x30, 0x0B, false, 0x20, 0x00, 0x27},                    // 43
    KeyCodeRow{"keyboard_key_Enter", 0x0D, 0x1C, false, 0x20, 0x00, 0x28},                // 44
    KeyCodeRow{"keyboard_key_Esc", 0x1B, 0x01, false, 0x20, 0x00, 0x29},                  // 45
    KeyCodeRow{"keyboard_key_BackSpace", 0x08, 0x0E, false, 0x20, 0x00, 0x2A},            // 46
    KeyCodeRow{"keyboard_key_Tab", 0x09, 0x0F, false, 0x20, 0x00, 0x2B},                  // 47
    KeyCodeRow{"keyboard_key_Space", 0x20, 0x39, false, 0x20, 0x00, 0x2C},                // 48
    KeyCodeRow{"keyboard_key_-", 0xBD, 0x0C, false, 0x20, 0x00, 0x2D},                    // 49
    KeyCodeRow{"keyboard_key_=", 0xBB, 0x0D, false, 0x20, 0x00, 0x2E},                    // 50
    KeyCodeRow{"keyboard_key_[", 0xDB, 0x1A, false, 0x20, 0x00, 0x2F},                    // 51
    KeyCodeRow{"keyboard_key_]", 0xDD, 0x1B, false, 0x20, 0x00, 0x30},                    // 52
    KeyCodeRow{"keyboard_key_xiegang", 0xDC, 0x2B, false, 0x20, 0x00, 0x31},              // 53
    KeyCodeRow{"keyboard_key_;", 0xBA, 0x27, false, 0x20, 0x00, 0x33},                    // 54
    KeyCodeRow{"keyboard_key_'", 0xDE, 0x28, false, 0x20, 0x00, 0x34},                    // 55
    KeyCodeRow{"keyboard_key_`", 0xC0, 0x29, false, 0x20, 0x00, 0x35},                    // 56
    KeyCodeRow{"keyboard_key_<", 0xBC, 0x33, false, 0x20, 0x00, 0x36},                    // 57
    KeyCodeRow{"keyboard_key_.", 0xBE, 0x34, false, 0x20, 0x00, 0x37},                    // 58
    KeyCodeRow{"keyboard_key_/", 0xBF, 0x35, false, 0x20, 0x00, 0x38},                    // 59
    KeyCodeRow{"keyboard_key_Caplk", 0x14, 0x3A, false, 0x20, 0x00, 0x39},                // 60
    KeyCodeRow{"keyboard_key_F1", 0x70, 0x3B, false, 0x20, 0x00, 0x3A},                   // 61
    KeyCodeRow{"keyboard_key_F2", 0x71, 0x3C, false, 0x20, 0x00, 0x3B},                   // 62
    KeyCodeRow{"keyboard_key_F3", 0x72, 0x3D, false, 0x20, 0x00, 0x3C},                   // 63
    KeyCodeRow{"keyboard_key_F4", 0x73, 0x3E, false, 0x20, 0x00, 0x3D},                   // 64
    KeyCodeRow{"keyboard_key_F5", 0x74, 0x3F, false, 0x20, 0x00, 0x3E},                   // 65
    KeyCodeRow{"keyboard_key_F6", 0x75, 0x40, false, 0x20, 0x00, 0x3F},                   // 66
    KeyCodeRow{"keyboard_key_F7", 0x76, 0x41, false, 0x20, 0x00, 0x40},                   // 67
    KeyCodeRow{"keyboard_key_F8", 0x77, 0x42, false, 0x20, 0x00, 0x41},                   // 68
    KeyCodeRow{"keyboard_key_F9", 0x78, 0x43, false, 0x20, 0x00, 0x42},                   // 69
    KeyCodeRow{"keyboard_key_F10", 0x79, 0x44, false, 0x20, 0x00, 0x43},                  // 70
    KeyCodeRow{"keyboard_key_F11", 0x7A, 0x57, false, 0x20, 0x00, 0x44},                  // 71
    KeyCodeRow{"keyboard_key_F12", 0x7B, 0x58, false, 0x20, 0x00, 0x45},                  // 72
    KeyCodeRow{"keyboard_key_Print Scr", 0x2C, 0x37, true, 0x20, 0x00, 0x46},             // 73
    KeyCodeRow{"keyboard_key_Scroll Lock", 0x91, 0x46, false, 0x20, 0x00, 0x47},          // 74
    KeyCodeRow{"keyboard_key_Pause", 0x13, 0x45, false, 0x20, 0x00, 0x48},                // 75
    KeyCodeRow{"keyboard_key_Insert", 0x2D, 0x52, true, 0x20, 0x00, 0x49},                // 76
    KeyCodeRow{"keyboard_key_Home", 0x24, 0x47, true, 0x20, 0x00, 0x4A},                  // 77
    KeyCodeRow{"keyboard_key_Page Up", 0x21, 0x49, true, 0x20, 0x00, 0x4B},               // 78
    KeyCodeRow{"keyboard_key_Delete", 0x2E, 0x53, true, 0x20, 0x00, 0x4C},                // 79
    KeyCodeRow{"keyboard_key_End", 0x23, 0x4F, true, 0x20, 0x00, 0x4D},                   // 80
    KeyCodeRow{"keyboard_key_Page Down", 0x22, 0x51, true, 0x20, 0x00, 0x4E},             // 81
    KeyCodeRow{"keyboard_key_Right", 0x27, 0x4D, true, 0x20, 0x00, 0x4F},                 // 82
    KeyCodeRow{"keyboard_key_Left", 0x25, 0x4B, true, 0x20, 0x00, 0x50},                  // 83
    KeyCodeRow{"keyboard_key_Down", 0x28, 0x50, true, 0x20, 0x00, 0x51},                  // 84
    KeyCodeRow{"keyboard_key_Up", 0x26, 0x48, true, 0x20, 0x00, 0x52},                    // 85
    KeyCodeRow{"keyboard_key_Num Lock", 0x90, 0x45, true, 0x20, 0x00, 0x53},              // 86
    KeyCodeRow{"keyboard_key_Num /", 0x6F, 0x35, true, 0x20, 0x00, 0x54},                 // 87
    KeyCodeRow{"keyboard_key_Num *", 0x6A, 0x37, false, 0x20, 0x00, 0x55},                // 88
    KeyCodeRow{"keyboard_key_Num -", 0x6D, 0x4A, false, 0x20, 0x00, 0x56},                // 89
    KeyCodeRow{"keyboard_key_Num +", 0x6B, 0x4E, false, 0x20, 0x00, 0x57},                // 90
    KeyCodeRow{"keyboard_key_Num Enter", 0x101, 0x1C, true, 0x20, 0x00, 0x58},            // 91
    KeyCodeRow{"keyboard_key_Num 1", 0x61, 0x4F, false, 0x20, 0x00, 0x59},                // 92
    KeyCodeRow{"keyboard_key_Num 2", 0x62, 0x50, false, 0x20, 0x00, 0x5A},                // 93
    KeyCodeRow{"keyboard_key_Num 3", 0x63, 0x51, false, 0x20, 0x00, 0x5B},                // 94
    KeyCodeRow{"keyboard_key_Num 4", 0x64, 0x4B, false, 0x20, 0x00, 0x5C},                // 95
    KeyCodeRow{"keyboard_key_Num 5", 0x65, 0x4C, false, 0x20, 0x00, 0x5D},                // 96
    KeyCodeRow{"keyboard_key_Num 6", 0x66, 0x4D, false, 0x20, 0x00, 0x5E},                // 97
    KeyCodeRow{"keyboard_key_Num 7", 0x67, 0x47, false, 0x20, 0x00, 0x5F},                // 98
    KeyCodeRow{"keyboard_key_Num 8", 0x68, 0x48, false, 0x20, 0x00, 0x60},                // 99
    KeyCodeRow{"keyboard_key_Num 9", 0x69, 0x49, false, 0x20, 0x00, 0x61},                // 100
    KeyCodeRow{"keyboard_key_Num 0", 0x60, 0x52, false, 0x20, 0x00, 0x62},                // 101
    KeyCodeRow{"keyboard_key_Decimal", 0x6E, 0x53, false, 0x20, 0x00, 0x63},              // 102
    KeyCodeRow{"keyboard_key_App", 0x5D, 0x5D, true, 0x20, 0x00, 0x65},                   // 103
    KeyCodeRow{"keyboard_key_K45", 0xE2, 0x56, false, 0x20, 0x00, 0x64},                  // 104
    KeyCodeRow{"keyboard_key_K56", 0xC1, 0x73, false, 0x20, 0x00, 0x87},                  // 105
    KeyCodeRow{"keyboard_key_K14", 0xFF, 0x7D, false, 0x20, 0x00, 0x89},                  // 106
    KeyCodeRow{"keyboard_key_K107", 0xC2, 0x7E, false, 0x20, 0x00, 0x85},                 // 107
    KeyCodeRow{"keyboard_key_K131", 0xEB, 0x7B, false, 0x20, 0x00, 0x8B},                 // 108
    KeyCodeRow{"keyboard_key_K132", 0xFF, 0x79, false, 0x20, 0x00, 0x8A},                 // 109
    KeyCodeRow{"keyboard_key_K133", 0xFF, 0x70, false, 0x20, 0x00, 0x88},                 // 110
    KeyCodeRow{"keyboard_key_K150", 0xE9, 0x71, false, 0x20, 0x00, 0x91},                 // 111
    KeyCodeRow{"keyboard_key_K151", 0xFF, 0x72, false, 0x20, 0x00, 0x90},                 // 112
    KeyCodeRow{"keyboard_key_K42", 0xBF, 0x00, false, 0x20, 0x00, 0x32},                  // 113
    KeyCodeRow{"keyboard_key_Launch App2", 0xB7, 0x00, false, 0x30, 0x92, 0x01},          // 114
    KeyCodeRow{"keyboard_key_Browaer Home", 0xAC, 0x00, false, 0x30, 0x23, 0x02},         // 115
    KeyCodeRow{"keyboard_key_Media Play Pause", 0xB3, 0x00, false, 0x30, 0xCD, 0x00},     // 116
    KeyCodeRow{"keyboard_key_Browser Search", 0xAA, 0x00, false, 0x30, 0x21, 0x02},       // 117
    KeyCodeRow{"keyboard_key_Launch Mail", 0xB4, 0x00, false, 0x30, 0x8A, 0x01},          // 118
    KeyCodeRow{"keyboard_key_Volume Up", 0xAF, 0x00, false, 0x30, 0xE9, 0x00},            // 119
    KeyCodeRow{"keyboard_key_Volume Mute", 0xAD, 0x00, false, 0x30, 0xE2, 0x00},          // 120
    KeyCodeRow{"keyboard_key_Media Stop", 0xB2, 0x00, false, 0x30, 0xB7, 0x00},           // 121
    KeyCodeRow{"keyboard_key_Volume Down", 0xAE, 0x00, false, 0x30, 0xEA, 0x00},          // 122
    KeyCodeRow{"keyboard_key_Browser Favorites", 0xAB, 0x00, false, 0x30, 0x2A, 0x02},    // 123
    KeyCodeRow{"keyboard_key_Browser ForWard", 0xA7, 0x00, false, 0x30, 0x25, 0x02},      // 124
    KeyCodeRow{"keyboard_key_Browser Back", 0xA6, 0x00, false, 0x30, 0x24, 0x02},         // 125
    KeyCodeRow{"keyboard_key_Media Prev Track", 0xB1, 0x00, false, 0x30, 0xB6, 0x00},     // 126
    KeyCodeRow{"keyboard_key_Media Next Track", 0xB0, 0x00, false, 0x30, 0xB5, 0x00},     // 127
    KeyCodeRow{"keyboard_key_Computer", 0xB6, 0x00, false, 0x30, 0x94, 0x01},             // 128
    KeyCodeRow{"keyboard_key_Browser Refresh", 0xA8, 0x00, false, 0x30, 0x27, 0x02},      // 129
    KeyCodeRow{"wed_stop", 0xA9, 0x00, false, 0x30, 0x26, 0x02},                          // 130
    KeyCodeRow{"keyboard_key_Launch Media Select", 0xB5, 0x00, false, 0x30, 0x83, 0x01},  // 131
    KeyCodeRow{"keyboard_key_Power", 0x103, 0x00, false, 0x40, 0x01, 0x00},               // 132
    KeyCodeRow{"keyboard_key_Sleep", 0x104, 0x00, false, 0x40, 0x02, 0x00},               // 133
    KeyCodeRow{"keyboard_key_Wakeup", 0x105, 0x00, false, 0x40, 0x04, 0x00},              // 134
    KeyCodeRow{"keyboard_key_M1", 0x00, 0x00, false, 0xD0, 0xA2, 0x01},                   // 135
    KeyCodeRow{"keyboard_key_M2", 0x00, 0x00, false, 0xD0, 0xA2, 0x02},                   // 136
    KeyCodeRow{"keyboard_key_M3", 0x00, 0x00, false, 0xD0, 0xA2, 0x03},                   // 137
    KeyCodeRow{"keyboard_key_M4", 0x00, 0x00, false, 0xD0, 0xA2, 0x04},                   // 138
    KeyCodeRow{"keyboard_key_M5", 0x00, 0x00, false, 0xD0, 0xA2, 0x05},                   // 139
    KeyCodeRow{"keyboard_key_FN", 0x00, 0x00, false, 0xA0, 0x01, 0x00},                   // 140
    KeyCodeRow{"keyboard_key_GM", 0x00, 0x00, false, 0xA0, 0x1B, 0x00},                   // 141
}};

/// Rows of KeyCodeTable that a key press can produce (found by scan code); rows below kFirstPlainKeyRow are
/// the modifiers.
inline constexpr int kCapturableKeyRows = 113;
inline constexpr int kFirstPlainKeyRow = 8;

/// One entry of a drop-down list of functions: language text id and the code it stands for.
struct ChoiceRow {
    std::string_view name;
    uint8_t type, code1, code2;
};

/// "keyset_mousekey_combo".
inline constexpr std::array<ChoiceRow, 5> kMouseButtonChoices{{
    {"mouse_key_left", 0x10, 0x01, 0x00},
    {"mouse_key_middle", 0x10, 0x04, 0x00},
    {"mouse_key_right", 0x10, 0x02, 0x00},
    {"mouse_key_forward", 0x10, 0x10, 0x00},
    {"mouse_key_back", 0x10, 0x08, 0x00},
}};

/// "keyset_mousedpi_combo".
inline constexpr std::array<ChoiceRow, 3> kDpiChoices{{
    {"mouse_key_DPI_add", 0x13, 0x01, 0x00},
    {"mouse_key_DPI_sub", 0x13, 0x02, 0x00},
    {"mouse_key_DPI_loop", 0x13, 0x03, 0x00},
}};

/// "keyset_media_combo": consumer usages, low byte first.
inline constexpr std::array<ChoiceRow, 18> kMediaChoices{{
    {"media_text", 0x30, 0x83, 0x01},
    {"media_play", 0x30, 0xCD, 0x00},
    {"media_stop", 0x30, 0xB7, 0x00},
    {"media_prev", 0x30, 0xB6, 0x00},
    {"media_next", 0x30, 0xB5, 0x00},
    {"media_vol_sub", 0x30, 0xEA, 0x00},
    {"media_vol_add", 0x30, 0xE9, 0x00},
    {"media_mute", 0x30, 0xE2, 0x00},
    {"web_text", 0x30, 0x23, 0x02},
    {"web_refresh", 0x30, 0x27, 0x02},
    {"wed_stop", 0x30, 0x26, 0x02},
    {"wed_back", 0x30, 0x24, 0x02},
    {"wed_forward", 0x30, 0x25, 0x02},
    {"wed_favorite", 0x30, 0x2A, 0x02},
    {"web_search", 0x30, 0x21, 0x02},
    {"media_mypc", 0x30, 0x94, 0x01},
    {"media_calc", 0x30, 0x92, 0x01},
    {"media_mail", 0x30, 0x8A, 0x01},
}};

/// "keyset_system_combo".
inline constexpr std::array<ChoiceRow, 3> kSystemChoices{{
    {"system_power", 0x40, 0x01, 0x00},
    {"system_sleep", 0x40, 0x02, 0x00},
    {"system_wake_up", 0x40, 0x04, 0x00},
}};

/// "keyset_combokey_combo": left Ctrl with a letter or sign. These names are shown as they are (the same in
/// every language), not looked up as text ids.
inline constexpr std::array<ChoiceRow, 11> kShortcutChoices{{
    {"Ctrl+O", 0x20, 0x01, 0x12},
    {"Ctrl+N", 0x20, 0x01, 0x11},
    {"Ctrl+Z", 0x20, 0x01, 0x1D},
    {"Ctrl+S", 0x20, 0x01, 0x16},
    {"Ctrl+C", 0x20, 0x01, 0x06},
    {"Ctrl+X", 0x20, 0x01, 0x1B},
    {"Ctrl+V", 0x20, 0x01, 0x19},
    {"Ctrl+F", 0x20, 0x01, 0x09},
    {"Ctrl+A", 0x20, 0x01, 0x04},
    {"Ctrl+-", 0x20, 0x01, 0x2D},
    {"Ctrl+=", 0x20, 0x01, 0x2E},
}};

/// Names of the device shortcuts (type 0x22) by index.
inline constexpr std::array<std::string_view, 9> kDeviceShortcutNames{
    "custem_cut",  "custem_copy", "custem_paste", "custem_undo", "custem_select_all",
    "custem_find", "custem_new",  "custem_save",  "custem_open"};

/// Names of the recoil patterns 0..3 ("keyset_gunkey_combo").
inline constexpr std::array<std::string_view, 4> kRecoilNames{"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                              "gun_4_txt"};

/// All swing direction names.
inline constexpr std::array<std::string_view, 4> kSwingNames{"mouse_key_up_Swing", "mouse_key_down_Swing",
                                                             "mouse_key_left_Swing", "mouse_key_right_Swing"};
/// "keyset_mouseswing_combo" (direction 0, 1) and "keyset_mousewheel_combo" (direction 0, 1).
inline constexpr std::array<std::string_view, 2> kSwingDirectionNames{"mouse_key_left_Swing",
                                                                      "mouse_key_right_Swing"};
inline constexpr std::array<std::string_view, 2> kWheelDirectionNames{"mouse_key_up_Swing",
                                                                      "mouse_key_down_Swing"};

/// One mouse action of a macro: the mouse message it comes from, the event's button and type (bit 7 set
/// for a press or a movement in the negative direction) and its text id.
struct MouseActionRow {
    uint16_t message;
    uint8_t button;
    uint8_t type;
    std::string_view name;
};

inline constexpr std::array<MouseActionRow, 15> kMouseActionTable{{
    {0x201, 1, 0x81, "mouse_key_left"},
    {0x202, 1, 0x01, "mouse_key_left"},
    {0x204, 2, 0x81, "mouse_key_right"},
    {0x205, 2, 0x01, "mouse_key_right"},
    {0x207, 4, 0x81, "mouse_key_middle"},
    {0x208, 4, 0x01, "mouse_key_middle"},
    {0x20B, 16, 0x81, "mouse_key_forward"},
    {0x20C, 16, 0x01, "mouse_key_forward"},
    {0x20B, 8, 0x81, "mouse_key_back"},
    {0x20C, 8, 0x01, "mouse_key_back"},
    {0x200, 0, 0x84, "mouse_move_to_left_text"},
    {0x200, 0, 0x04, "mouse_move_to_right_text"},
    {0x200, 0, 0x85, "mouse_move_to_up_text"},
    {0x200, 0, 0x05, "mouse_move_to_down_text"},
    {0x20A, 0, 0x00, "mouse_cursor_text"},
}};

/// The first of the capturable rows (0-112) with this set-1 scan code and E0 flag; -1 when none.
[[nodiscard]] int FindKeyRowByScan(uint8_t scan, bool extended);

/// The first plain key row (8 onward, keyboard type, no modifier) with this HID usage; -1 when none.
[[nodiscard]] int FindKeyRowByUsage(uint8_t usage);

/// The modifier row (0-7) whose mask equals `mask`; -1 for 0 or a combination of masks.
[[nodiscard]] int FindModifierRow(uint8_t mask);

/// The option box (1 Ctrl, 2 Shift, 3 Alt, 4 Win) of modifier row 0-7, left and right alike.
[[nodiscard]] constexpr int ModifierBoxOfRow(int row) {
    return (row + 1) % 5 + (row + 1) / 5;
}

/// The left-hand modifier mask of option box 1-4; 0 for box 0 or no box (-1).
[[nodiscard]] constexpr uint8_t ModifierMaskOfBox(int box) {
    return box >= 1 && box <= 4 ? static_cast<uint8_t>(1u << (box - 1)) : 0;
}

/// The text id of a mouse event (type 1, 4 or 5, `down` as in the event): empty when no row matches.
[[nodiscard]] std::string_view MouseActionName(uint8_t type, uint8_t button, bool down);

}  // namespace halvern
