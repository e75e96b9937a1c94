#pragma once

#include <memory>

#include "ui/pages/device_page.h"
#include "ui/pages/light_panel.h"

namespace halvern::ui {

class LanguageTexts;

/// The page of a device with lights only (the mouse pad, the headset): its picture and its Lighting tab.
class LightOnlyPage : public DevicePage {
    Q_OBJECT
public:
    LightOnlyPage(CMerivexUSBDevice& device, std::unique_ptr<LightTarget> target, const LayoutLoader& loader,
                  const LanguageTexts* texts, QWidget* parent = nullptr);

    [[nodiscard]] LightPanel* lightPanel() override { return &m_light; }
    void BindPageControls() override;
    void BindBuiltControls() override;
    void ShowSettings() override { m_light.show(); }

private:
    const LanguageTexts* m_texts;
    LightPanel m_light;
};

}  // namespace halvern::ui
