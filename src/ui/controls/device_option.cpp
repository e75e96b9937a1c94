#include "ui/controls/device_option.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <array>

#include "ui/controls/device_power.h"
#include "ui/controls/image_cache.h"
#include "ui/controls/select_panel.h"
#include "ui/pages/device_page.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {
namespace {

struct KindIcons {
    uint16_t typeCode;
    const char* stem;  // icons are <stem>_normal.svg, <stem>_selected.svg, <stem>_synchro_*.svg
    const char* tooltipId;
};

struct KindName {
    std::string_view kindName;
    const char* textId;
};

constexpr std::array<KindName, 4> kKindNames{{
    {"mouse", "device_kind_mouse_text"},
    {"keyboard", "device_kind_keyboard_text"},
    {"MousePad", "device_kind_mousepad_text"},
    {"HD", "device_kind_headset_text"},
}};
constexpr const char* kUnknownKindText = "device_kind_unknown_text";

constexpr std::array<KindIcons, 5> kKindIcons{{
    {1, "common/device_ico/kb_device", "kb_device_name_text"},
    {2, "common/device_ico/ms_device", "ms_device_name_text"},
    {3, "common/device_ico/hard_mp_device", "hard_mp_device_name_text"},
    {7, "common/device_ico/hd_device", "hd_device_name_text"},
    {0, "common/device_ico/unknow_device", "unknow_device_name_text"},
}};

}  // namespace

QString KindDisplayTextId(std::string_view kindName) {
    for (const KindName& k : kKindNames) {
        if (k.kindName == kindName) return QString::fromLatin1(k.textId);
    }
    return QString::fromLatin1(kUnknownKindText);
}

DeviceOption::Icons DeviceOption::iconsFor(uint16_t typeCode) {
    const KindIcons* found = &kKindIcons.back();
    for (const auto& k : kKindIcons) {
        if (k.typeCode == typeCode) found = &k;
    }
    const QString stem = QString::fromLatin1(found->stem);
    return {stem + "_normal.svg", stem + "_selected.svg", stem + "_synchro_normal.svg",
            stem + "_synchro_selected.svg", QString::fromLatin1(found->tooltipId)};
}

DeviceOption::DeviceOption(const LayoutLoader& loader, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);  // owned by the entry
    layout->setContentsMargins(0, 0, 0, 0);
    if (QWidget* content = loader.load(QStringLiteral("device_option.ui"), this)) {
        layout->addWidget(content);
        m_select = findControl<QAbstractButton>(content, "device_select");
        m_synchro = findControl<QAbstractButton>(content, "synchro_device_select");
        m_name = findControl<QLabel>(content, "device_select_name");
    }
    if (m_select) m_select->setCheckable(true);
    if (m_synchro) {
        m_synchro->setCheckable(true);
        connect(m_synchro, &QAbstractButton::toggled, this, [this] { updateIcon(); });
    }
    SetKind(0, 0);
}

void DeviceOption::SetKind(uint16_t typeCode, uint16_t) {
    m_typeCode = typeCode;
    m_icons = iconsFor(typeCode);
    if (m_select) m_select->setProperty("toolTipId", m_icons.tooltipId);
    updateIcon();
}

void DeviceOption::updateIcon() {
    if (!m_select) return;
    const bool synchro = IsSynchro();
    const QSize size = m_select->iconSize().isEmpty() ? QSize(48, 48) : m_select->iconSize();
    QIcon icon;
    icon.addPixmap(cachedImage(synchro ? m_icons.synchroNormal : m_icons.normal, size), QIcon::Normal,
                   QIcon::Off);
    icon.addPixmap(cachedImage(synchro ? m_icons.synchroSelected : m_icons.selected, size), QIcon::Normal,
                   QIcon::On);
    m_select->setIcon(icon);
}

void DeviceOption::SetSynchro(bool on) {
    if (m_synchro) m_synchro->setChecked(on);
}

bool DeviceOption::IsSynchro() const {
    return m_synchro && m_synchro->isChecked();
}

void DeviceOption::Select(bool on) {
    if (m_select) m_select->setChecked(on);
}

bool DeviceOption::IsSelected() const {
    return m_select && m_select->isChecked();
}

void DeviceOption::BindTab(const QString& tabLayout, int index) {
    m_tabLayout = tabLayout;
    m_tabIndex = index;
}

void DeviceOption::SetPowerSwitch(const QString& name, int index) {
    m_powerSwitch = name;
    m_powerIndex = index;
}

void DeviceOption::SetName(const QString& name) {
    if (m_name) m_name->setText(name);
}

void DeviceOption::SetNameTextId(const QString& textId, const LanguageTexts* texts) {
    if (!m_name) return;
    m_name->setProperty("textId", textId);
    if (texts) m_name->setText(texts->text(textId));
}

void DeviceOption::SetEntryVisible(bool visible) {
    m_visible = visible;
    setVisible(visible);
    QWidget* top = window();
    auto* powers = top && !m_powerSwitch.isEmpty() ? top->findChild<QStackedWidget*>(m_powerSwitch) : nullptr;
    if (auto* power = powers ? qobject_cast<DevicePower*>(powers->widget(m_powerIndex)) : nullptr) {
        power->SetDevicePresent(visible);
    }
}

}  // namespace halvern::ui
