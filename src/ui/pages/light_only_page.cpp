#include "ui/pages/light_only_page.h"

namespace halvern::ui {

LightOnlyPage::LightOnlyPage(CMerivexUSBDevice& device, std::unique_ptr<LightTarget> target,
                             const LayoutLoader& loader, const LanguageTexts* texts, QWidget* parent)
    : DevicePage(device, loader, parent), m_texts(texts), m_light(*this, std::move(target)) {}

void LightOnlyPage::BindPageControls() {
    DevicePage::BindPageControls();
    BindBuiltControls();
}

void LightOnlyPage::BindBuiltControls() {
    if (!m_light.editor()) m_light.bind(this, m_texts);
}

}  // namespace halvern::ui
