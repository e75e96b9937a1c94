#include "ui/windows/rgb_section.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/windows/message_box.h"

namespace halvern::ui {

RgbSection::RgbSection(QWidget* content, const LayoutLoader& loader, const LanguageTexts& texts,
                       RgbServerControl control, QWidget* owner)
    : m_loader(loader), m_texts(texts), m_control(std::move(control)), m_owner(owner) {
    m_enabled = findControl<QAbstractButton>(content, QStringLiteral("rgb_server_box"));
    m_port = findControl<QSpinBox>(content, QStringLiteral("rgb_server_port"));
    const bool offered = static_cast<bool>(m_control.apply);
    if (auto* row = findControl<QWidget>(content, QStringLiteral("rgb_server_row"))) row->setVisible(offered);
    if (m_port) m_port->setRange(1, 65535);
    if (m_enabled) connect(m_enabled, &QAbstractButton::clicked, this, &RgbSection::change);
    if (m_port) connect(m_port, &QSpinBox::editingFinished, this, &RgbSection::change);
    refresh();
}

RgbSection::~RgbSection() = default;

void RgbSection::refresh() {
    const RgbServerSettings settings = ReadRgbServerSettings(m_control.settings);
    if (m_enabled) {
        const QSignalBlocker quiet(m_enabled);
        m_enabled->setChecked(settings.enabled);
    }
    if (m_port) {
        const QSignalBlocker quiet(m_port);
        m_port->setValue(settings.port);
    }
}

void RgbSection::change() {
    if (!m_enabled || !m_port || !m_control.apply) return;
    const RgbServerSettings stored = ReadRgbServerSettings(m_control.settings);
    RgbServerSettings wanted = stored;
    wanted.enabled = m_enabled->isChecked();
    wanted.port = static_cast<uint16_t>(m_port->value());
    if (wanted == stored) return;
    if (QString problem; !m_control.apply(wanted, problem)) {
        QString undoProblem;
        (void)m_control.apply(stored, undoProblem);  // the server as it was
        refresh();
        tell(m_texts.text(QStringLiteral("rgb_server_listen_failed_text")).arg(wanted.port).arg(problem));
        return;
    }
    if (!WriteRgbServerSettings(m_control.settings, wanted)) {
        tell(m_texts.text(QStringLiteral("rgb_server_store_failed_text"))
                 .arg(QString::fromStdString(m_control.settings.string())));
    }
    refresh();
}

void RgbSection::tell(const QString& text) const {
    (void)MessageBox::ShowMessage(m_loader, m_texts, m_owner, text, m_owner ? m_owner->logicalDpiX() : 96,
                                  false, MessageBox::kConfirmOnly);
}

}  // namespace halvern::ui
