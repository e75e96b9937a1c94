#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string_view>

#include "ui/controls/select_panel.h"
#include "ui/pages/device_page.h"

class QAbstractButton;
class QLabel;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// The text id of the name users read for a device kind ("mouse", "keyboard", "MousePad", "HD", the kind
/// names of the supported-device table): "device_kind_mouse_text" ("Mouse"), ..., "device_kind_headset_text"
/// ("Headset"); an unknown kind gives "device_kind_unknown_text" ("Device").
[[nodiscard]] QString KindDisplayTextId(std::string_view kindName);

/// One entry of the device list: the device's icon (selects its page), its synchronised-lighting choice
/// and its name. Built from the layout "device_option.ui" with the controls "device_select",
/// "synchro_device_select" and "device_select_name".
class DeviceOption final : public QWidget {
    Q_OBJECT
public:
    DeviceOption(const LayoutLoader& loader, QWidget* parent = nullptr);

    /// Icons and tooltip for a device type code (0: not known yet).
    void SetKind(uint16_t typeCode, uint16_t variant);
    [[nodiscard]] uint16_t typeCode() const { return m_typeCode; }
    void SetSynchro(bool on);
    [[nodiscard]] bool IsSynchro() const;
    void Select(bool on);
    [[nodiscard]] bool IsSelected() const;
    void BindTab(const QString& tabLayout, int index);
    [[nodiscard]] int boundTab() const { return m_tabIndex; }
    void SetPowerSwitch(const QString& name, int index);
    [[nodiscard]] int powerIndex() const { return m_powerIndex; }
    void SetName(const QString& name);
    /// Names the entry by a text id (KindDisplayTextId): the text now from `texts` (when given), and again
    /// whenever a language is applied to the entry.
    void SetNameTextId(const QString& textId, const LanguageTexts* texts);
    void SetPage(DevicePage* page) { m_page = page; }
    [[nodiscard]] DevicePage* page() const { return m_page; }
    void SetPicture(SelectPanel* picture) { m_picture = picture; }
    [[nodiscard]] SelectPanel* picture() const { return m_picture; }
    /// The entry's own visible flag (the widget follows it). A hidden entry's device is gone: its power
    /// widget (the SetPowerSwitch stack's page) shows no battery, so the "No device" screen shows none.
    void SetEntryVisible(bool visible);
    [[nodiscard]] bool IsEntryVisible() const { return m_visible; }

    [[nodiscard]] QAbstractButton* selectButton() const { return m_select; }
    [[nodiscard]] QAbstractButton* synchroButton() const { return m_synchro; }

    /// Icon file names (in the skin folder) for a type code: normal, selected, synchro normal, synchro
    /// selected; and the text id of its tooltip.
    struct Icons {
        QString normal, selected, synchroNormal, synchroSelected, tooltipId;
    };
    [[nodiscard]] static Icons iconsFor(uint16_t typeCode);

private:
    void updateIcon();

    QPointer<QAbstractButton> m_select;
    QPointer<QAbstractButton> m_synchro;
    QPointer<QLabel> m_name;
    QPointer<DevicePage> m_page;
    QPointer<SelectPanel> m_picture;
    QString m_tabLayout;
    QString m_powerSwitch;
    int m_tabIndex = -1;
    int m_powerIndex = -1;
    uint16_t m_typeCode = 0;
    bool m_visible = true;
    Icons m_icons;
};

}  // namespace halvern::ui
