#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace halvern {

/// What a light mode does to one group of controls of the light editor.
enum class ControlState : uint8_t { Unchanged, Enabled, Disabled };

/// The controls of the light editor that a light mode enables or disables.
enum class LightArea : uint8_t { Multicolour, Colour, Palette, Brightness, Speed, Direction };
inline constexpr size_t kLightAreaCount = 6;

/// The two texts of the direction choices (text ids): first choice, second choice.
struct DirectionTexts {
    std::string_view first;
    std::string_view second;
};

/// How the light editor looks for one device mode value: the state of each area and what else the mode
/// shows or hides. Built by LightModeLayout; the editor only applies it.
struct LightModeLayoutPlan {
    /// Every mode first enables the direction area; the tables change the rest.
    std::array<ControlState, kLightAreaCount> areas{ControlState::Unchanged, ControlState::Unchanged,
                                                    ControlState::Unchanged, ControlState::Unchanged,
                                                    ControlState::Unchanged, ControlState::Enabled};
    ControlState effectList = ControlState::Unchanged;  ///< enabled for every device kind the tables know
    bool speedHidden = false;
    bool customGroupShown = false;     ///< the keyboard's custom colour groups
    bool gameColourListShown = false;  ///< the keyboard's game-colour list ("ZZCCLedMode")
    bool audioModeListShown = false;   ///< the audio-reactive light's mode list
    bool soundColourShown = false;     ///< the sound companion's colour sliders and style window button
    bool colourAreaEnabled = true;     ///< the whole colour area
    bool sameModeOffered = false;      ///< the same-mode button, when the editor allows it
    int colourPage = 0;                ///< 0 the light colour, 1 the audio-reactive colours
    DirectionTexts direction{};

    [[nodiscard]] ControlState area(LightArea a) const { return areas[static_cast<size_t>(a)]; }
};

/// The editor's layout for device type code `typeCode` (1 keyboard, 2 mouse, 3 mouse pad, 4 and 7
/// headset, 5 the light-only product without direction) in the light mode whose device value is `value`.
/// Type codes without a table keep the areas unchanged.
[[nodiscard]] LightModeLayoutPlan LightModeLayout(int typeCode, int value);

}  // namespace halvern
