#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "ui/toolkit/observer.h"

class QAbstractButton;
class QStackedWidget;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// A new background for the main window: a colour, or a picture (a name in the skin folder or a file's
/// full path).
struct SkinChangedParam {
    bool colourFlag = false;
    uint32_t colour = 0;  ///< ARGB, with colourFlag
    QString image;        ///< without colourFlag
};

using SkinObserver = ObserverImpl<int, SkinChangedParam>;
using SkinReceiver = ReceiverImpl<int, SkinChangedParam>;

/// The skin window ("skin.ui"): a small pop-up under the skin button with a page of offered pictures
/// ("skin_image_btn0"…, each naming its picture in the property "skinImage") and a page of colours
/// ("skin_color_btn0"…, property "skinColor" as "#AARRGGBB"), the tabs "skin_image" and "skin_color",
/// "skin_reset" (the default picture) and "skin_Custom" (a picture file of the user's). A choice is
/// broadcast to the receivers and stored in the skin file. It closes when the user clicks elsewhere and
/// then deletes itself.
class CSkinFrame final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSkinFrame)
public:
    /// Asks for a picture file over `parent`; empty when the user cancels.
    using FileChooser = std::function<QString(QWidget* parent)>;

    /// Shows the window at once, its top right corner under the skin button's bottom right one.
    CSkinFrame(const LayoutLoader& loader, const LanguageTexts& texts, SkinObserver& observer,
               std::filesystem::path skinFile, QWidget* skinButton);

    /// Replaces the system's file dialog (the tests choose or cancel without one).
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

private:
    void chooseImage(const QString& name);
    void chooseColour(const QString& colourText);
    void reset();
    void chooseOwnPicture();
    void place(QWidget* skinButton);

    const LayoutLoader& m_loader;
    const LanguageTexts& m_texts;
    SkinObserver& m_observer;
    std::filesystem::path m_skinFile;
    QPointer<QWidget> m_content;
    QPointer<QStackedWidget> m_tabs;
    FileChooser m_chooseFile;
};

/// Whether a picture file may become the background: an existing regular file of at most 32 MiB that Qt
/// can read as an image.
[[nodiscard]] bool IsUsablePicture(const QString& path);

}  // namespace halvern::ui
