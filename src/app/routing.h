#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace halvern::app {

/// What a notification asks of the main window or of the selected device page.
enum class Operation : uint8_t {
    // Window
    WindowInit,
    WindowSize,
    CloseWindow,
    HideWindow,
    ToggleLightControl,
    Minimise,
    Maximise,
    Restore,
    OpenSkinWindow,
    OpenSettingsWindow,
    OpenWebSite,
    SelectPreviousDevice,
    SelectNextDevice,
    OpenSystemDeviceSettings,
    // Device page: general
    RestoreDefaults,
    ResetKeyRepeat,
    SameLightForAll,
    KeyButton,
    DeviceSelected,
    SynchroSelected,
    FunctionTab,
    KeySelectionEnded,
    // Profiles
    ProfileAdd,
    ProfileDelete,
    ProfileCopy,
    ProfileImport,
    ProfileExport,
    ProfileReset,
    ProfileRename,
    ProfileSelected,
    ProfilePanelToggle,
    // Key assignment and macros
    KeyAssignmentButton,
    KeyAssignmentChoice,
    KeyAssignmentEdit,
    MacroButton,
    MacroCursorStep,
    MacroChoice,
    MacroDelayEdit,
    // Recoil patterns
    RecoilButton,
    RecoilChoice,
    RecoilEdit,
    // Lighting
    LightColourChanged,
    AudioLightColourChanged,
    LightButton,
    LightColourOption,
    AudioColourOption,
    LightChoice,
    LightValue,
    LightColourEdit,
    LightModeSelected,
    AudioLightSettings,
    MusicColourSlider,
    CustomColourButton,
    // Mouse and keyboard settings
    DpiColourOption,
    DpiEnable,
    DpiSelect,
    DpiSlider,
    DpiSliderMoving,
    DpiEdit,
    PollingRate,
    RepeatDelay,
    RepeatRate,
    MouseSettingsOption,
    PointerOption,
    PointerSlider,
    KeyboardFlag,
    // Headset
    EqPresetButton,
    EqOption,
    EqSlider,
    EqNameSelected,
    MagicOption,
    MicOption,
    MicSlider,
    SoundSwitch,
};
inline constexpr size_t kOperationCount = static_cast<size_t>(Operation::SoundSwitch) + 1;

/// A notification's operation, with the index split from a prefix name (-1 for exact names).
struct Route {
    Operation operation;
    int index = -1;       ///< from a prefix name ("DPI_slider_2" → 2); -1 for exact names
    uint8_t variant = 0;  ///< which name of the group sharing the operation ("wflag_option" → 1)
};

/// Looks up a notification type and sender name in the routing tables: first the exact names of the
/// type, then its prefixes (name split at the last "_", decimal index after it). Names compare without
/// regard to case, except the few that must match exactly. Nothing when the notification is not routed.
[[nodiscard]] std::optional<Route> routeNotification(std::string_view type, std::string_view sender);

/// Types that skip the toolkit's default handling after routing ("click_wpremove", "click_wpedit").
[[nodiscard]] bool skipsDefaultHandling(std::string_view type);

}  // namespace halvern::app
