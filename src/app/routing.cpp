#include "app/routing.h"

#include <array>
#include <charconv>

namespace halvern::app {
namespace {

struct RouteEntry {
    std::string_view type;
    std::string_view name;  ///< exact name, prefix (ending in "_"), or "*" for any sender
    Operation operation;
    uint8_t variant;  ///< position of the name within a group of names that share one operation
    bool prefix;
    bool exactCase;
};

// clang-format off
constexpr std::array kRoutes = std::to_array<RouteEntry>({
    {"windowinit", "*", Operation::WindowInit, 0, false, false},
    {"windowsize", "root", Operation::WindowSize, 0, false, false},
    {"colorchanged", "deng_Color_Pallet", Operation::LightColourChanged, 0, false, false},
    {"colorchanged", "deng_audioColor_Pallet", Operation::AudioLightColourChanged, 0, false, false},
    {"click", "closebtn", Operation::CloseWindow, 0, false, false},
    {"click", "nodevice_ok_btn", Operation::HideWindow, 0, false, false},
    {"click", "control_light_status", Operation::ToggleLightControl, 0, false, false},
    {"click", "minbtn", Operation::Minimise, 0, false, false},
    {"click", "maxbtn", Operation::Maximise, 0, false, false},
    {"click", "restorebtn", Operation::Restore, 0, false, false},
    {"click", "skinbtn", Operation::OpenSkinWindow, 0, false, false},
    {"click", "setbtn", Operation::OpenSettingsWindow, 0, false, false},
    {"click", "default_btn", Operation::RestoreDefaults, 0, false, false},
    {"click", "reset_repeat_btn", Operation::ResetKeyRepeat, 0, false, false},
    {"click", "device_add_btn", Operation::ProfileAdd, 0, false, false},
    {"click", "device_sub_btn", Operation::ProfileDelete, 0, false, false},
    {"click", "device_copy_btn", Operation::ProfileCopy, 0, false, false},
    {"click", "device_import_btn", Operation::ProfileImport, 0, false, false},
    {"click", "device_export_btn", Operation::ProfileExport, 0, false, false},
    {"click", "device_reset_btn", Operation::ProfileReset, 0, false, false},
    {"click", "device_profile_edit_save_btn", Operation::ProfileRename, 0, false, false},
    {"click", "key_butt_keysave", Operation::KeyAssignmentButton, 0, false, false},
    {"click", "key_butt_keydefalut", Operation::KeyAssignmentButton, 1, false, false},
    {"click", "key_butt_keycancel", Operation::KeyAssignmentButton, 2, false, false},
    {"click", "key_butt_prosave", Operation::KeyAssignmentButton, 3, false, false},
    {"click", "macro_btn_starredio", Operation::MacroButton, 0, false, false},
    {"click", "macro_btn_stopredio", Operation::MacroButton, 1, false, false},
    {"click", "macro_btn_name_add", Operation::MacroButton, 2, false, false},
    {"click", "macro_btn_name_sub", Operation::MacroButton, 3, false, false},
    {"click", "macro_btn_name_edit", Operation::MacroButton, 4, false, false},
    {"click", "macro_btn_save", Operation::MacroButton, 5, false, false},
    {"click", "macro_btn_cancel", Operation::MacroButton, 6, false, false},
    {"click", "macro_btn_export", Operation::MacroButton, 7, false, false},
    {"click", "macro_btn_import", Operation::MacroButton, 8, false, false},
    {"click", "macro_btn_up", Operation::MacroButton, 9, false, false},
    {"click", "macro_btn_down", Operation::MacroButton, 10, false, false},
    {"click", "macro_btn_uptop", Operation::MacroButton, 11, false, false},
    {"click", "macro_btn_downbottom", Operation::MacroButton, 12, false, false},
    {"click", "macro_btn_delete", Operation::MacroButton, 13, false, false},
    {"click", "macro_btn_deleteall", Operation::MacroButton, 14, false, false},
    {"click", "macro_inset_moveleftkey_btn", Operation::MacroCursorStep, 0, false, true},
    {"click", "macro_inset_moverightkey_btn", Operation::MacroCursorStep, 1, false, true},
    {"click", "macro_inset_moveupkey_btn", Operation::MacroCursorStep, 2, false, true},
    {"click", "macro_inset_movedownkey_btn", Operation::MacroCursorStep, 3, false, true},
    {"click", "shootdate_save_btn", Operation::RecoilButton, 0, false, false},
    {"click", "shootdate_reset_btn", Operation::RecoilButton, 1, false, false},
    {"click", "shootdate_import_btn", Operation::RecoilButton, 2, false, false},
    {"click", "shootdate_export_btn", Operation::RecoilButton, 3, false, false},
    {"click", "bullet_selected_prev", Operation::RecoilButton, 4, false, false},
    {"click", "bullet_selected_next", Operation::RecoilButton, 5, false, false},
    {"click", "custom_bright_color_btn", Operation::LightButton, 0, false, false},
    {"click", "custom_off_color_btn", Operation::LightButton, 1, false, false},
    {"click", "Close_bkColor_btn", Operation::LightButton, 2, false, false},
    {"click", "deng_colordp_btn", Operation::LightButton, 3, false, false},
    {"click", "deng_audiocolordp_btn", Operation::LightButton, 4, false, false},
    {"click", "deng_same_mode", Operation::SameLightForAll, 0, false, false},
    {"click", "custom_colour_swatch", Operation::CustomColourButton, 0, false, false},
    {"click", "custom_colour_keys_btn", Operation::CustomColourButton, 1, false, false},
    {"click", "custom_colour_all_btn", Operation::CustomColourButton, 2, false, false},
    {"click", "custom_colour_off_btn", Operation::CustomColourButton, 3, false, false},
    {"click", "hs_EQ_btn_save", Operation::EqPresetButton, 0, false, false},
    {"click", "hs_EQ_btn_delete", Operation::EqPresetButton, 1, false, false},
    {"click", "profile_fun_spread_btn", Operation::ProfilePanelToggle, 0, false, true},
    {"click", "device_select_prev", Operation::SelectPreviousDevice, 0, false, false},
    {"click", "device_select_next", Operation::SelectNextDevice, 0, false, false},
    {"click", "music_setting_btn", Operation::AudioLightSettings, 0, false, false},
    {"click", "logo_btn", Operation::OpenWebSite, 0, false, false},
    {"click", "key_", Operation::KeyButton, 0, true, false},
    {"click", "color_option_", Operation::LightColourOption, 0, true, false},
    {"click", "audiocolor_option_", Operation::AudioColourOption, 0, true, false},
    {"click", "windowdeviceset_", Operation::OpenSystemDeviceSettings, 0, true, false},
    {"click", "DPI_color_option_", Operation::DpiColourOption, 0, true, false},
    {"selectchanged", "DPI_enable_check_", Operation::DpiEnable, 0, true, false},
    {"selectchanged", "DPI_select_check_", Operation::DpiSelect, 0, true, false},
    {"selectchanged", "polling_rate_option_", Operation::PollingRate, 0, true, false},
    {"selectchanged", "repeat_delay_check_", Operation::RepeatDelay, 0, true, false},
    {"selectchanged", "mouse_device_seting_option_", Operation::MouseSettingsOption, 0, true, false},
    {"selectchanged", "shoot_gun_op_", Operation::RecoilChoice, 0, true, false},
    {"selectchanged", "bullet_op_", Operation::RecoilChoice, 1, true, false},
    {"selectchanged", "magic_option_", Operation::MagicOption, 0, true, false},
    {"selectchanged", "6533_eq_option_", Operation::EqOption, 0, true, false},
    {"selectchanged", "key_ComBox_check_", Operation::KeyAssignmentChoice, 11, true, false},
    {"selectchanged", "pointer_precision_check", Operation::PointerOption, 0, false, false},
    {"selectchanged", "scrolls_page_check", Operation::PointerOption, 1, false, false},
    {"selectchanged", "winlockflag_option", Operation::KeyboardFlag, 0, false, false},
    {"selectchanged", "wflag_option", Operation::KeyboardFlag, 1, false, false},
    {"selectchanged", "6flag_option", Operation::KeyboardFlag, 2, false, false},
    {"selectchanged", "synchro_device_select", Operation::SynchroSelected, 0, false, false},
    {"selectchanged", "device_select", Operation::DeviceSelected, 0, false, false},
    {"selectchanged", "deng_Op_tab", Operation::FunctionTab, 0, false, false},
    {"selectchanged", "key_Op_tab", Operation::FunctionTab, 1, false, false},
    {"selectchanged", "macro_Op_tab", Operation::FunctionTab, 2, false, false},
    {"selectchanged", "system_Op_tab", Operation::FunctionTab, 3, false, false},
    {"selectchanged", "cursor_Op_tab", Operation::FunctionTab, 4, false, false},
    {"selectchanged", "6533_voice_Op_tab", Operation::FunctionTab, 5, false, false},
    {"selectchanged", "magic_Op_tab", Operation::FunctionTab, 6, false, false},
    {"selectchanged", "Virtual7.1_Op_tab", Operation::FunctionTab, 7, false, false},
    {"selectchanged", "deng_FXL_check", Operation::LightChoice, 0, false, false},
    {"selectchanged", "deng_FXR_check", Operation::LightChoice, 1, false, false},
    {"selectchanged", "deng_7color_check", Operation::LightChoice, 2, false, false},
    {"selectchanged", "deng_7audiocolor_check", Operation::LightChoice, 3, false, false},
    {"selectchanged", "audio_BkColor_check", Operation::LightChoice, 4, false, false},
    {"selectchanged", "audio_FgColor_check", Operation::LightChoice, 5, false, false},
    {"selectchanged", "bullet_x_check", Operation::RecoilChoice, 0, false, false},
    {"selectchanged", "bullet_y_check", Operation::RecoilChoice, 1, false, false},
    {"selectchanged", "magic_enable_option", Operation::MagicOption, 0, false, false},
    {"selectchanged", "6533_MicIn_option", Operation::MicOption, 0, false, false},
    {"selectchanged", "6533_MicMoniter_option", Operation::MicOption, 1, false, false},
    {"selectchanged", "6533_noise_option", Operation::SoundSwitch, 0, false, false},
    {"selectchanged", "6533_surround_option", Operation::SoundSwitch, 1, false, false},
    {"valuechanged", "DPI_slider_", Operation::DpiSlider, 0, true, false},
    {"valuechanged", "6533_eq_hz_slider_", Operation::EqSlider, 0, true, false},
    {"valuechanged", "pointer_speed_slider", Operation::PointerSlider, 0, false, false},
    {"valuechanged", "scroll_speed_slider", Operation::PointerSlider, 1, false, false},
    {"valuechanged", "double_click_slider", Operation::PointerSlider, 2, false, false},
    {"valuechanged", "repeat_rate_slider", Operation::RepeatRate, 0, false, false},
    {"valuechanged", "deng_light_slider", Operation::LightValue, 0, false, false},
    {"valuechanged", "deng_speed_slider", Operation::LightValue, 1, false, false},
    {"valuechanged", "R_light_slider", Operation::MusicColourSlider, 0, false, false},
    {"valuechanged", "G_light_slider", Operation::MusicColourSlider, 1, false, false},
    {"valuechanged", "B_light_slider", Operation::MusicColourSlider, 2, false, false},
    {"valuechanged", "6533_MicIn_slider", Operation::MicSlider, 0, false, false},
    {"valuechanged", "6533_MicMoniter_slider", Operation::MicSlider, 1, false, false},
    {"movevaluechanged", "zantor_DPI_slider_", Operation::DpiSliderMoving, 0, true, false},
    {"movevaluechanged", "DPI_slider_", Operation::DpiSliderMoving, 1, true, false},
    {"itemselect", "device_profile_combo", Operation::ProfileSelected, 0, false, false},
    {"itemselect", "light_combo_modeSelect", Operation::LightModeSelected, 0, false, false},
    {"itemselect", "light_combo_custommodeSelect", Operation::LightModeSelected, 1, false, false},
    {"itemselect", "light_combo_ZZCCmodeSelect", Operation::LightModeSelected, 2, false, false},
    {"itemselect", "light_combo_audiomodeSelect", Operation::LightModeSelected, 3, false, false},
    {"itemselect", "keyset_function_combo", Operation::KeyAssignmentChoice, 0, false, false},
    {"itemselect", "keyset_macro_over_combo", Operation::KeyAssignmentChoice, 1, false, false},
    {"itemselect", "keyset_mousekey_combo", Operation::KeyAssignmentChoice, 2, false, false},
    {"itemselect", "keyset_mouseswing_combo", Operation::KeyAssignmentChoice, 3, false, false},
    {"itemselect", "keyset_mousewheel_combo", Operation::KeyAssignmentChoice, 4, false, false},
    {"itemselect", "keyset_mousedpi_combo", Operation::KeyAssignmentChoice, 5, false, false},
    {"itemselect", "keyset_media_combo", Operation::KeyAssignmentChoice, 6, false, false},
    {"itemselect", "keyset_system_combo", Operation::KeyAssignmentChoice, 7, false, false},
    {"itemselect", "keyset_macro_combo", Operation::KeyAssignmentChoice, 8, false, false},
    {"itemselect", "keyset_gunkey_combo", Operation::KeyAssignmentChoice, 9, false, false},
    {"itemselect", "keyset_combokey_combo", Operation::KeyAssignmentChoice, 10, false, false},
    {"itemselect", "macro_name_list", Operation::MacroChoice, 0, false, false},
    {"itemselect", "custom_eq_name_combo", Operation::EqNameSelected, 0, false, false},
    {"killfocus", "zantor_DPI_edit_", Operation::DpiEdit, 0, true, false},
    {"killfocus", "DPI_edit_", Operation::DpiEdit, 1, true, false},
    {"killfocus", "deng_edit_R", Operation::LightColourEdit, 0, false, false},
    {"killfocus", "deng_edit_G", Operation::LightColourEdit, 1, false, false},
    {"killfocus", "deng_edit_B", Operation::LightColourEdit, 2, false, false},
    {"killfocus", "deng_audioedit_R", Operation::LightColourEdit, 3, false, false},
    {"killfocus", "deng_audioedit_G", Operation::LightColourEdit, 4, false, false},
    {"killfocus", "deng_audioedit_B", Operation::LightColourEdit, 5, false, false},
    {"killfocus", "keyset_keyboard_text_edit", Operation::KeyAssignmentEdit, 0, false, false},
    {"killfocus", "keyset_mouseswing_num_edit", Operation::KeyAssignmentEdit, 1, false, false},
    {"killfocus", "keyset_mouseswing_delay_edit", Operation::KeyAssignmentEdit, 2, false, false},
    {"killfocus", "keyset_mouseswing_speed_edit", Operation::KeyAssignmentEdit, 3, false, false},
    {"killfocus", "keyset_mousewheel_num_edit", Operation::KeyAssignmentEdit, 4, false, false},
    {"killfocus", "keyset_mousewheel_delay_edit", Operation::KeyAssignmentEdit, 5, false, false},
    {"killfocus", "keyset_mousewheel_speed_edit", Operation::KeyAssignmentEdit, 6, false, false},
    {"killfocus", "keyset_mousefire_interval_edit", Operation::KeyAssignmentEdit, 7, false, false},
    {"killfocus", "keyset_mousefire_num_edit", Operation::KeyAssignmentEdit, 8, false, false},
    {"killfocus", "keyset_macro_cycle_edit", Operation::KeyAssignmentEdit, 9, false, false},
    {"killfocus", "bullet_x_eidt", Operation::RecoilEdit, 0, false, false},
    {"killfocus", "bullet_y_eidt", Operation::RecoilEdit, 1, false, false},
    {"killfocus", "bullet_delay_eidt", Operation::RecoilEdit, 2, false, false},
    {"killfocus", "macro_delay", Operation::MacroDelayEdit, 0, false, false},
    {"click_select_end", "device_key_light", Operation::KeySelectionEnded, 0, false, false},
    {"click_select_end", "mouse_device_key_light", Operation::KeySelectionEnded, 1, false, false},
    {"click_select_end", "keyboard_device_key_light", Operation::KeySelectionEnded, 2, false, false},
});
// clang-format on

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b, bool exactCase) {
    if (a.size() != b.size()) return false;
    if (exactCase) return a == b;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

std::optional<Route> routeNotification(std::string_view type, std::string_view sender) {
    for (const RouteEntry& e : kRoutes) {
        if (e.prefix || e.type != type) continue;
        if (e.name == "*" || sameName(e.name, sender, e.exactCase)) return Route{e.operation, -1, e.variant};
    }
    const size_t underscore = sender.rfind('_');
    if (underscore == std::string_view::npos) return std::nullopt;
    const std::string_view prefix = sender.substr(0, underscore + 1);
    const std::string_view digits = sender.substr(underscore + 1);
    int index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || index < 0) {
        return std::nullopt;
    }
    for (const RouteEntry& e : kRoutes) {
        if (e.prefix && e.type == type && sameName(e.name, prefix, e.exactCase)) {
            return Route{e.operation, index, e.variant};
        }
    }
    return std::nullopt;
}

bool skipsDefaultHandling(std::string_view type) {
    return type == "click_wpremove" || type == "click_wpedit";
}

}  // namespace halvern::app
