#pragma once

#include <QString>
#include <QWidget>

namespace halvern::ui {

/// The control named `name` inside `root` (root itself included), or null.
template <typename T = QWidget>
[[nodiscard]] T* findControl(QWidget* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName() == name) return qobject_cast<T*>(root);
    return root->findChild<T*>(name);
}

/// The control named prefix + index ("DPI_slider_" and 2 → "DPI_slider_2"), or null.
template <typename T = QWidget>
[[nodiscard]] T* findControl(QWidget* root, const QString& prefix, int index) {
    return findControl<T>(root, prefix + QString::number(index));
}

}  // namespace halvern::ui
