#pragma once

#include "ui/controls/list_element.h"

namespace halvern::ui {

/// A row of the shared-profiles list. Activation (double click, Enter) sends "itemactivate". While hot and
/// not selected it gets a one-pixel frame in the owning list's "itemlinecolor", when that list (the parent
/// widget) has an "itemhotimage" set.
class CloudShareListItem final : public ListElement {
    Q_OBJECT
public:
    explicit CloudShareListItem(QWidget* parent = nullptr);

    static constexpr const char* kClassName = "CloudShareListItemUI";

    /// The frame drawn around the hot row, or an invalid colour when none is drawn.
    [[nodiscard]] QColor hotFrameColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace halvern::ui
