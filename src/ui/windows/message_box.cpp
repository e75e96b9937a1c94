#include "ui/windows/message_box.h"

#include <QAbstractButton>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "device/debug_sink.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/windows/window_dpi.h"
#include "ui/windows/window_drag.h"

namespace halvern::ui {

MessageBox::MessageBox(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_texts(texts) {
    setObjectName(QStringLiteral("msgwnd"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);  // owned by the box
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* content = loader.load(QStringLiteral("message_box.ui"), this);
    if (content) {
        layout->addWidget(content);
        texts.apply(content);
        setWindowTitle(content->windowTitle());
        m_title = findControl<QLabel>(content, QStringLiteral("MessageTitle"));
        m_text = findControl<QLabel>(content, QStringLiteral("MessageText"));
        m_confirm = findControl<QAbstractButton>(content, QStringLiteral("confirm_btn"));
        m_cancel = findControl<QAbstractButton>(content, QStringLiteral("cancel_btn"));
        m_close = findControl<QAbstractButton>(content, QStringLiteral("closebtn"));
        if (QWidget* titleBar = findControl(content, QStringLiteral("title_bar"))) new WindowDrag(titleBar);
    }
    if (m_confirm) connect(m_confirm, &QAbstractButton::clicked, this, [this] { done(1); });
    if (m_cancel) connect(m_cancel, &QAbstractButton::clicked, this, [this] { done(0); });
    if (m_close) connect(m_close, &QAbstractButton::clicked, this, [this] { done(0); });
    if (m_confirm) m_confirm->setFocus();
}

MessageBox::~MessageBox() = default;

void MessageBox::setMessage(const QString& text, bool isTextId) {
    if (!m_text || text.isEmpty()) return;
    m_text->setText(isTextId ? m_texts.text(text) : text);
}

QString MessageBox::message() const {
    return m_text ? m_text->text() : QString();
}

void MessageBox::setButtonMode(int mode) {
    if (mode != kConfirmOnly && mode != kConfirmCancel) return;
    if (m_confirm) m_confirm->setVisible(true);
    if (m_cancel) m_cancel->setVisible(mode == kConfirmCancel);
}

void MessageBox::setDpi(int dpi) {
    m_dpi = AcceptedDpi(dpi, "MSG_WND DPI SET ERROR");
}

int MessageBox::ShowMessage(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner,
                            const QString& text, int dpi, bool isTextId, int mode) {
    MessageBox box(loader, texts, owner);
    box.setMessage(text, isTextId);
    box.setDpi(dpi);
    box.setButtonMode(mode);
    return box.exec() == 1 ? 1 : 0;
}

}  // namespace halvern::ui
