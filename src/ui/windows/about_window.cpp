#include "ui/windows/about_window.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/windows/window_drag.h"
#include "update/update_settings.h"

namespace halvern::ui {

AboutWindow::AboutWindow(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("AboutWnd"));
    setAttribute(Qt::WA_TranslucentBackground);
    resize(kSize);
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = loader.load(QStringLiteral("about.ui"), this);
    if (m_content) {
        layout->addWidget(m_content);
        m_version = findControl<QLabel>(m_content, QStringLiteral("software_ver_label"));
        m_close = findControl<QAbstractButton>(m_content, QStringLiteral("closebtn"));
        m_min = findControl<QAbstractButton>(m_content, QStringLiteral("minbtn"));
        m_max = findControl<QAbstractButton>(m_content, QStringLiteral("maxbtn"));
        m_restore = findControl<QAbstractButton>(m_content, QStringLiteral("restorebtn"));
        if (QWidget* titleBar = findControl(m_content, QStringLiteral("title_bar"))) new WindowDrag(titleBar);
        // Buttons with nothing behind them are not shown.
        for (const char* idle : {"menubtn", "homepage_btn"}) {
            if (QWidget* button = findControl(m_content, QString::fromLatin1(idle))) button->hide();
        }
    }
    if (m_close) connect(m_close, &QAbstractButton::clicked, this, &QDialog::reject);
    if (m_min) connect(m_min, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    if (m_max) connect(m_max, &QAbstractButton::clicked, this, &QWidget::showMaximized);
    if (m_restore) connect(m_restore, &QAbstractButton::clicked, this, &QWidget::showNormal);
    retranslate(texts);
    showMaximisedState();
}

AboutWindow::~AboutWindow() = default;

QString AboutWindow::applicationVersion() {
    const std::string_view version = ApplicationVersionText();  // what --version prints too
    return QString::fromUtf8(version.data(), static_cast<qsizetype>(version.size()));
}

void AboutWindow::retranslate(const LanguageTexts& texts) {
    if (!m_content) return;
    texts.apply(m_content);
    setWindowTitle(m_content->windowTitle());
    if (m_version) m_version->setText(texts.text(QStringLiteral("software_rev_text")) + applicationVersion());
}

QString AboutWindow::versionText() const {
    return m_version ? m_version->text() : QString();
}

void AboutWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) showMaximisedState();
    QDialog::changeEvent(event);
}

void AboutWindow::showMaximisedState() {
    const bool maximised = isMaximized();
    if (m_max) m_max->setVisible(!maximised);
    if (m_restore) m_restore->setVisible(maximised);
}

bool AboutOpener::open(const LayoutLoader& loader, const LanguageTexts& texts, QWidget* owner) {
    if (m_window) return false;
    AboutWindow window(loader, texts, owner);
    m_window = &window;
    window.exec();
    return true;
}

}  // namespace halvern::ui
