// The main window's background: the skin window under the skin button, and the choice it broadcasts.

#include <QColor>
#include <QDir>

#include "app/main_window.h"
#include "device/debug_sink.h"
#include "profile/skin_file.h"
#include "ui/toolkit/control_lookup.h"

namespace halvern::app {
namespace {

// What the root's style sheet may name: a picture path without the characters that would end its url().
bool isPlainPath(const QString& path) {
    return !path.isEmpty() && !path.contains(QLatin1Char('"')) && !path.contains(QLatin1Char('\\')) &&
           !path.contains(QLatin1Char('\n')) && !path.contains(QLatin1Char('\r'));
}

// The areas in front of the root that would hide its background.
constexpr const char* kSeeThrough =
    "QWidget#title_bar, QWidget#page_area, QStackedWidget#device_switch, QWidget#No_device_Link "
    "{ background: transparent; }";

}  // namespace

void MainWindow::openSkinWindow() {
    if (m_stopped) return;
    auto* button = ui::findControl(m_root, QStringLiteral("skinbtn"));
    // Owned by this window as its parent, and deleted when it closes.
    m_skinFrame = new ui::CSkinFrame(m_loader, m_texts, m_skinObserver, SkinFile(), button);
}

int MainWindow::Receive(ui::SkinChangedParam param) {
    QWidget* root = ui::findControl(this, QStringLiteral("root"));
    if (!root) return 1;
    if (param.colourFlag) {
        const QColor colour = QColor::fromRgba(param.colour);
        root->setStyleSheet(
            QStringLiteral("QWidget#root { background: rgba(%1, %2, %3, %4); border-image: none; } ")
                .arg(colour.red())
                .arg(colour.green())
                .arg(colour.blue())
                .arg(colour.alpha()) +
            QLatin1String(kSeeThrough));
        root->setProperty("skinImage", QString());
        root->setProperty("skinColour", param.colour);
        return 1;
    }
    // An offered picture is a name in the skin folder; a picture of the user's is a full path.
    const QString path =
        QDir::isAbsolutePath(param.image) ? param.image : QDir(m_loader.skinFolder()).filePath(param.image);
    const bool usable = isPlainPath(path) &&
                        (QDir::isAbsolutePath(param.image) ? ui::IsUsablePicture(path)
                                                           : IsNameInsideFolder(param.image.toStdString()));
    if (!usable) debugLog("skin: no picture at " + path.toStdString());
    root->setStyleSheet(QStringLiteral("QWidget#root { background: transparent; border-image: %1; } ")
                            .arg(usable ? QStringLiteral("url(\"%1\") 0 0 0 0 stretch stretch").arg(path)
                                        : QStringLiteral("none")) +
                        QLatin1String(kSeeThrough));
    root->setProperty("skinImage", param.image);
    root->setProperty("skinColour", 0U);
    return 1;
}

void MainWindow::applyStoredSkin() {
    const SkinChoice choice = ReadSkinFile(SkinFile());
    if (choice.kind == SkinKind::DefaultImage) return;  // the layout's own background
    Receive({choice.kind == SkinKind::Colour, choice.colour, QString::fromStdString(choice.image)});
}

}  // namespace halvern::app
