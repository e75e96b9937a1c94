// The operations of every page's Lighting tab, for whichever kind's page has one.

#include <array>

#include "app/device_kinds.h"
#include "ui/pages/light_panel.h"

namespace halvern::app {
namespace {

template <auto Member, typename... Args>
void onPanel(ui::DevicePage& page, Args... args) {
    if (ui::LightPanel* panel = page.lightPanel()) (panel->*Member)(args...);
}

constexpr auto kLightRoutes = std::to_array<PageRoute>({
    {Operation::LightModeSelected,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         onPanel<&ui::LightPanel::ModeSelected>(p, int{r.variant}, static_cast<int>(n.wParam));
     }},
    {Operation::LightValue,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         onPanel<&ui::LightPanel::ValueChanged>(p, int{r.variant}, static_cast<int>(n.wParam));
     }},
    {Operation::LightChoice,
     [](ui::DevicePage& p, const Route& r, const ui::Notification& n) {
         onPanel<&ui::LightPanel::ChoiceChanged>(p, int{r.variant}, n.wParam != 0);
     }},
    {Operation::LightColourEdit,
     [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
         onPanel<&ui::LightPanel::ColourEdited>(p, int{r.variant});
     }},
    {Operation::LightColourChanged,
     [](ui::DevicePage& p, const Route&, const ui::Notification& n) {
         onPanel<&ui::LightPanel::PaletteColour>(p, static_cast<uint32_t>(n.wParam));
     }},
    {Operation::AudioLightColourChanged,
     [](ui::DevicePage& p, const Route&, const ui::Notification& n) {
         onPanel<&ui::LightPanel::AudioPaletteColour>(p, static_cast<uint32_t>(n.wParam));
     }},
    {Operation::LightColourOption,
     [](ui::DevicePage& p, const Route& r, const ui::Notification&) {
         onPanel<&ui::LightPanel::ColourOption>(p, r.index);
     }},
    {Operation::AudioColourOption,
     [](ui::DevicePage& p, const Route& r,
        const ui::Notification&) { onPanel<&ui::LightPanel::AudioColourOption>(p, r.index); }},
    {Operation::LightButton,
     [](ui::DevicePage& p, const Route& r,
        const ui::Notification&) { onPanel<&ui::LightPanel::Button>(p, int{r.variant}); }},
});

}  // namespace

PageHandler findLightHandler(Operation operation) {
    for (const PageRoute& route : kLightRoutes) {
        if (route.operation == operation) return route.handle;
    }
    return nullptr;
}

}  // namespace halvern::app
