#pragma once

#include <QPushButton>
#include <QString>

namespace halvern::ui {

/// The macro editor's record buttons: a plain button under a class name of its own. Its "redioimage" is
/// kept for layouts that set it and is not drawn.
class RedioMacroButton final : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString redioimage READ redioImage WRITE setRedioImage)
public:
    explicit RedioMacroButton(QWidget* parent = nullptr) : QPushButton(parent) {}

    static constexpr const char* kClassName = "RedioMacroButton";

    [[nodiscard]] QString redioImage() const { return m_redioImage; }
    void setRedioImage(const QString& image) { m_redioImage = image; }

private:
    QString m_redioImage;
};

}  // namespace halvern::ui
