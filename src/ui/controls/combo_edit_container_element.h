#pragma once

#include <QString>

#include "ui/controls/list_element.h"

class QLabel;
class QLineEdit;

namespace halvern::ui {

class LayoutLoader;

/// One row of the macro editor's action list, built from the layout "combo_edit_element_item.ui": two
/// texts ("text1", "text2") and a delay edit ("delay_edit") that the macro editor fills and reads. A press
/// selects the row alone, with Ctrl held it toggles the row's selection; a release sends "itemclick",
/// Enter activates the row and sends "return", a timer of its own sends "timer". Attribute names are exact.
class ComboEditContainerElement final : public ListElement {
    Q_OBJECT
    Q_CLASSINFO("AttributeNames", "exact")
public:
    /// Builds the row's content through `loader`; without a loader, or when the layout cannot be read,
    /// the row stays empty and its sub-controls are null.
    explicit ComboEditContainerElement(const LayoutLoader* loader, QWidget* parent = nullptr);

    static constexpr const char* kClassName = "ComboEditContainerElement";
    static constexpr const char* kLayout = "combo_edit_element_item.ui";

    /// Replaces the row's children with a fresh copy of its layout. False when it could not be loaded.
    bool buildContent(const LayoutLoader& loader);

    [[nodiscard]] QLabel* text1() const { return m_text1; }
    [[nodiscard]] QLabel* text2() const { return m_text2; }
    [[nodiscard]] QLineEdit* delayEdit() const { return m_delayEdit; }

    /// Set when a sub-control of the row changed its selection or had Enter pressed in it, until cleared.
    [[nodiscard]] bool subControlNoted() const { return m_subControlNoted; }
    void clearSubControlNoted() { m_subControlNoted = false; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void watchSubControls(QWidget* content);

    QLabel* m_text1 = nullptr;
    QLabel* m_text2 = nullptr;
    QLineEdit* m_delayEdit = nullptr;
    bool m_subControlNoted = false;
};

}  // namespace halvern::ui
