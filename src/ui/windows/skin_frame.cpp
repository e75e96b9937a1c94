#include "ui/windows/skin_frame.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "device/debug_sink.h"
#include "profile/skin_file.h"
#include "ui/toolkit/control_lookup.h"
#include "ui/toolkit/language_texts.h"
#include "ui/toolkit/layout_loader.h"
#include "ui/windows/message_box.h"

namespace halvern::ui {
namespace {

constexpr qint64 kMaxPictureBytes = qint64{32} * 1024 * 1024;

}  // namespace

bool IsUsablePicture(const QString& path) {
    const QFileInfo info(path);
    if (!info.isAbsolute() || !info.isFile() || info.size() > kMaxPictureBytes) return false;
    QImageReader reader(path);
    return reader.canRead();
}

CSkinFrame::CSkinFrame(const LayoutLoader& loader, const LanguageTexts& texts, SkinObserver& observer,
                       std::filesystem::path skinFile, QWidget* skinButton)
    : QWidget(skinButton ? skinButton->window() : nullptr, Qt::Popup | Qt::FramelessWindowHint),
      m_loader(loader),
      m_texts(texts),
      m_observer(observer),
      m_skinFile(std::move(skinFile)) {
    setObjectName(QStringLiteral("skinframe_window"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_chooseFile = [this](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, m_texts.text(QStringLiteral("skin_custom_title")),
                                            QString(), QStringLiteral("(*.png) (*.png);;(*.*) (*)"));
    };
    auto* layout = new QVBoxLayout(this);  // owned by the window
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = loader.load(QStringLiteral("skin.ui"), this);
    if (!m_content) m_content = new QWidget(this);
    m_content->setStyleSheet(
        QStringLiteral("QWidget#skinframe { background: #171B22; border: 1px solid #2A313D; }"));
    layout->addWidget(m_content);
    m_tabs = findControl<QStackedWidget>(m_content, QStringLiteral("skin_tab"));

    for (auto* button : m_content->findChildren<QAbstractButton*>()) {
        const QString name = button->objectName();
        if (name.startsWith(QLatin1String("skin_image_btn"))) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, button] { chooseImage(button->property("skinImage").toString()); });
        } else if (name.startsWith(QLatin1String("skin_color_btn"))) {
            connect(button, &QAbstractButton::clicked, this,
                    [this, button] { chooseColour(button->property("skinColor").toString()); });
        }
    }
    const auto connectButton = [this](const char* name, auto slot) {
        if (auto* b = findControl<QAbstractButton>(m_content, QString::fromLatin1(name)))
            connect(b, &QAbstractButton::clicked, this, slot);
    };
    connectButton("skin_reset", [this] { reset(); });
    connectButton("skin_Custom", [this] { chooseOwnPicture(); });
    connectButton("skin_image", [this] {
        if (m_tabs) m_tabs->setCurrentIndex(0);
    });
    connectButton("skin_color", [this] {
        if (m_tabs) m_tabs->setCurrentIndex(1);
    });
    m_texts.apply(m_content);
    adjustSize();
    place(skinButton);
    show();
}

void CSkinFrame::place(QWidget* skinButton) {
    if (!skinButton) return;
    const QPoint bottomRight = skinButton->mapToGlobal(QPoint(skinButton->width(), skinButton->height()));
    move(bottomRight.x() - width(), bottomRight.y());
}

void CSkinFrame::chooseImage(const QString& name) {
    m_observer.Broadcast({false, 0, name});
    if (!WriteSkinFile(m_skinFile, {SkinKind::OfferedImage, name.toStdString(), 0}))
        debugLog("skin: cannot write " + m_skinFile.string());
}

void CSkinFrame::chooseColour(const QString& colourText) {
    bool ok = false;
    const uint32_t colour = QStringView(colourText).mid(1).toUInt(&ok, 16);
    if (!colourText.startsWith(QLatin1Char('#')) || !ok) return;
    m_observer.Broadcast({true, colour, QString()});
    if (!WriteSkinFile(m_skinFile, {SkinKind::Colour, std::string(), colour}))
        debugLog("skin: cannot write " + m_skinFile.string());
}

void CSkinFrame::reset() {
    const SkinChoice defaults;
    m_observer.Broadcast({false, 0, QString::fromStdString(defaults.image)});
    if (!WriteSkinFile(m_skinFile, defaults)) debugLog("skin: cannot write " + m_skinFile.string());
}

// The file dialog takes the focus, so this pop-up closes first; what happens after the dialog uses only
// what outlives it (the observer, the owner) and copies.
void CSkinFrame::chooseOwnPicture() {
    SkinObserver& observer = m_observer;
    const LayoutLoader& loader = m_loader;
    const LanguageTexts& texts = m_texts;
    const std::filesystem::path skinFile = m_skinFile;
    const FileChooser chooseFile = m_chooseFile;
    const QPointer<QWidget> owner = parentWidget();
    close();
    const QString path = chooseFile(owner);
    if (path.isEmpty()) return;
    if (!IsUsablePicture(path)) {
        auto* notice = new MessageBox(loader, texts, owner);  // deletes itself when closed
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->setObjectName(QStringLiteral("skin_picture_unreadable"));
        notice->setMessage(texts.text(QStringLiteral("skin_custom_unreadable_text")), false);
        notice->setButtonMode(MessageBox::kConfirmOnly);
        notice->show();
        return;
    }
    const QString full = QFileInfo(path).absoluteFilePath();
    observer.Broadcast({false, 0, full});
    if (!WriteSkinFile(skinFile, {SkinKind::OwnPicture, full.toStdString(), 0}))
        debugLog("skin: cannot write " + skinFile.string());
}

}  // namespace halvern::ui
