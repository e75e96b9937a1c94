#include "ui/controls/device_power.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <array>

#include "ui/controls/image_cache.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

struct PhoneType {
    const char* tooltipId;
    const char* image;
};
// Index: the phone type byte 1-3; anything else is "no device".
constexpr std::array<PhoneType, 4> kPhoneTypes{{
    {"Phone_type_no_device", "power/Phone_type_no_device.svg"},
    {"Phone_type_iphone", "power/Phone_type_iphone.svg"},
    {"Phone_type_samsung", "power/Phone_type_samsung.svg"},
    {"Phone_type_other", "power/Phone_type_other.svg"},
}};

void showImage(QLabel* label, const QString& image) {
    const QSize size = label->size().isEmpty() ? QSize(24, 24) : label->size();
    label->setPixmap(cachedImage(image, size));
}

}  // namespace

DevicePower::DevicePower(const LayoutLoader& loader, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);  // owned by the widget
    layout->setContentsMargins(0, 0, 0, 0);
    if (QWidget* content = loader.load(QStringLiteral("device_power.ui"), this)) {
        layout->addWidget(content);
        m_content = content;
        m_layout = findControl(content, "device_power_Layout");
        m_value = findControl<QLabel>(content, "device_power_value");
        m_wireless = findControl(content, "device_wuxian_logo");
        m_progress = findControl<QProgressBar>(content, "device_Power_progress");
        m_status = findControl<QLabel>(content, "device_power_status");
        m_phone = findControl<QLabel>(content, "device_phone_type");
    }
}

void DevicePower::SetType(uint16_t typeCode, uint16_t) {
    m_typeCode = typeCode;
}

void DevicePower::ShowPowerLayout(bool show) {
    if (m_layout) m_layout->setVisible(show);
}

void DevicePower::SetDevicePresent(bool present) {
    if (m_content) m_content->setVisible(present);
}

void DevicePower::ShowStatus(std::span<const uint8_t> report) {
    if (!m_layout || !m_value || !m_wireless || !m_progress || !m_status) return;
    std::array<uint8_t, 64> bytes{};
    std::copy_n(report.begin(), std::min(report.size(), bytes.size()), bytes.begin());
    const int level = std::min<int>(bytes[0], 100);
    const bool wireless = bytes[3] != 0;
    m_value->setText(QStringLiteral("%1%").arg(level));
    m_progress->setValue(100 - level);

    bool progressShown = true;
    switch (bytes[1]) {
        case 1:
            m_statusImage =
                wireless ? QStringLiteral("power/wuxian_powering.svg") : QStringLiteral("power/powering.svg");
            progressShown = !wireless;
            break;
        case 2:
            m_statusImage = QStringLiteral("power/power.svg");
            break;
        default:
            m_statusImage = QStringLiteral("power/powered.svg");
            break;
    }
    m_progress->setVisible(progressShown);
    showImage(m_status, m_statusImage);
    if (m_typeCode == 2) m_wireless->setVisible(wireless);
    if (m_typeCode == 3 && m_phone) {
        m_phoneType = bytes[5] < kPhoneTypes.size() ? bytes[5] : 0;
        const PhoneType& phone = kPhoneTypes[m_phoneType];
        m_phoneImage = QString::fromLatin1(phone.image);
        m_phone->setProperty("toolTipId", QString::fromLatin1(phone.tooltipId));
        showPhoneTip();
        showImage(m_phone, m_phoneImage);
    }
}

void DevicePower::showPhoneTip() {
    if (m_phone && !m_phoneTips[m_phoneType].isEmpty()) m_phone->setToolTip(m_phoneTips[m_phoneType]);
}

bool DevicePower::event(QEvent* event) {
    if (event->type() == LanguageTexts::AppliedEvent::type()) {
        const LanguageTexts& texts = static_cast<LanguageTexts::AppliedEvent*>(event)->texts();
        for (size_t i = 0; i < kPhoneTypes.size(); ++i) {
            m_phoneTips[i] = texts.text(QString::fromLatin1(kPhoneTypes[i].tooltipId));
        }
        showPhoneTip();
        return true;
    }
    return QWidget::event(event);
}

}  // namespace halvern::ui
