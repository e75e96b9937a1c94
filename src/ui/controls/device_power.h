#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <span>

class QLabel;
class QProgressBar;

namespace halvern::ui {

class LayoutLoader;

/// A device's power and battery widget, built from "device_power.ui" ("device_power_Layout",
/// "device_power_value", "device_wuxian_logo", "device_Power_progress", "device_power_status",
/// "device_phone_type"). Shows the status bytes a device reports. The phone label's tooltip follows the
/// reported phone in the language the widget's texts last came from (LanguageTexts::apply).
class DevicePower final : public QWidget {
    Q_OBJECT
public:
    DevicePower(const LayoutLoader& loader, QWidget* parent = nullptr);

    void SetType(uint16_t typeCode, uint16_t variant);
    [[nodiscard]] uint16_t typeCode() const { return m_typeCode; }
    /// Whether the device kind reports power at all (the page table's power flag).
    void ShowPowerLayout(bool show);
    /// Whether the device is there: a device that is gone shows nothing (no battery, no phone), whatever it
    /// reported last.
    void SetDevicePresent(bool present);
    /// Byte 0 battery level in percent, 1 charge state, 3 wireless flag, 5 phone type (mouse pad); a
    /// shorter report counts as zero-padded. Nothing is shown unless the widget has all its parts.
    void ShowStatus(std::span<const uint8_t> report);

    /// The image names shown last (for tests and the look).
    [[nodiscard]] QString statusImage() const { return m_statusImage; }
    [[nodiscard]] QString phoneImage() const { return m_phoneImage; }

protected:
    bool event(QEvent* event) override;

private:
    void showPhoneTip();

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_layout;
    QPointer<QLabel> m_value;
    QPointer<QWidget> m_wireless;
    QPointer<QProgressBar> m_progress;
    QPointer<QLabel> m_status;
    QPointer<QLabel> m_phone;
    uint16_t m_typeCode = 0;
    QString m_statusImage;
    QString m_phoneImage;
    size_t m_phoneType = 0;
    std::array<QString, 4> m_phoneTips;  ///< in the last applied language; empty before any
};

}  // namespace halvern::ui
