#include "ui/controls/magic_control.h"

#include <QAbstractButton>
#include <QSignalBlocker>

#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui {

CMagicControlUI::CMagicControlUI(const LayoutLoader* loader, QWidget* parent) : QWidget(parent) {
    m_content = loadFilling(loader, kLayout, this);
    if (!m_content) return;
    m_enable = findControl<QAbstractButton>(m_content, QStringLiteral("magic_enable_option"));
    m_voiceArea = findControl(m_content, QStringLiteral("magic_option_layout"));
    for (int n = 1; n <= kVoices; ++n)
        m_voices[static_cast<size_t>(n - 1)] =
            findControl<QAbstractButton>(m_content, QStringLiteral("magic_option_"), n);
}

CMagicControlUI::~CMagicControlUI() = default;

QWidget* CMagicControlUI::part(const QString& name) const {
    return findControl(m_content, name);
}

void CMagicControlUI::SetMagicVoice(bool enabled, int type) {
    if (m_enable) {
        const QSignalBlocker block(m_enable);
        m_enable->setChecked(enabled);
    }
    if (m_voiceArea) m_voiceArea->setEnabled(enabled);
    if (type < 1 || type > kVoices) type = 0;
    for (int n = 1; n <= kVoices; ++n) {
        QAbstractButton* voice = m_voices[static_cast<size_t>(n - 1)];
        if (!voice) continue;
        const QSignalBlocker block(voice);
        voice->setAutoExclusive(false);
        voice->setChecked(n == type);
        voice->setAutoExclusive(true);
    }
}

bool CMagicControlUI::GetEnabled() const {
    return m_enable && m_enable->isChecked();
}

int CMagicControlUI::GetType() const {
    for (int n = 1; n <= kVoices; ++n) {
        const QAbstractButton* voice = m_voices[static_cast<size_t>(n - 1)];
        if (voice && voice->isChecked()) return n;
    }
    return 0;
}

}  // namespace halvern::ui
