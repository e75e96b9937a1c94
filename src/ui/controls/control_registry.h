#pragma once

#include <array>
#include <string_view>

namespace halvern::ui {

class LayoutLoader;

/// The class names (layout tags) of all our own controls.
inline constexpr std::array<std::string_view, 19> kCustomControlClasses{
    "DeviceKeyButton",      "SelectPanel",   "CircleProgress",   "HandImgButton", "HandImgSelectButton",
    "RedioMacroButton",     "AudioRecord",   "ChartView",        "Wnd",           "ComboEditContainerElement",
    "CloudShareListItemUI", "DeviceProfile", "ColourPalette",    "KeySetControl", "LightControl",
    "MacroControl",         "ShootControl",  "Voice6533Control", "MagicControl",
};

/// Registers a creator for every class of kCustomControlClasses with `loader`. The loader must outlive the
/// layouts it loads: list rows built later load their own content through it.
void registerCustomControls(LayoutLoader& loader);

}  // namespace halvern::ui
