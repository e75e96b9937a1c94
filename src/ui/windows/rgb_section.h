#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>

#include "profile/rgb_server_settings.h"

class QAbstractButton;
class QSpinBox;
class QWidget;

namespace halvern::ui {

class LanguageTexts;
class LayoutLoader;

/// What the RGB part of the settings window changes: the settings file, and the running server, which
/// `apply` starts, moves or stops (false, with the reason, when it cannot listen). No `apply`: the
/// part is hidden.
struct RgbServerControl {
    std::filesystem::path settings;
    std::function<bool(const RgbServerSettings& settings, QString& problem)> apply;
};

/// "rgb_server_box" lets RGB programs control the lights (the OpenRGB SDK server), on the port of
/// "rgb_server_port". A change is applied first and stored once it took; when the server cannot listen
/// (the port is taken) one message says why and the box and the file stay as they were.
class RgbSection final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RgbSection)
public:
    RgbSection(QWidget* content, const LayoutLoader& loader, const LanguageTexts& texts,
               RgbServerControl control, QWidget* owner);
    ~RgbSection() override;

    /// Shows what the settings file says now.
    void refresh();

private:
    void change();
    void tell(const QString& text) const;

    const LayoutLoader& m_loader;
    const LanguageTexts& m_texts;
    RgbServerControl m_control;
    QPointer<QWidget> m_owner;
    QPointer<QAbstractButton> m_enabled;
    QPointer<QSpinBox> m_port;
};

}  // namespace halvern::ui
