#pragma once
// Whether the texts a user reads in a window fit where they are shown: labels, buttons, check boxes, the
// entries of combo boxes and the items of lists and tables. A text that does not fit is cut or elided by
// Qt, so the user reads only part of it.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QWidget>
#include <string>
#include <vector>

#include "ui/controls/device_key_button.h"

namespace halvern::test {

namespace detail {

inline int widestLine(const QFontMetrics& metrics, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest;
}

inline std::string describe(const QWidget* w, const QString& text, int need, int room) {
    return w->metaObject()->className() + std::string(" ") + w->objectName().toStdString() + " \"" +
           text.toStdString() + "\" needs " + std::to_string(need) + " px, has " + std::to_string(room);
}

inline QString shownText(const QLabel& label) {
    const bool rich = label.textFormat() == Qt::RichText ||
                      (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
    if (!rich) return label.text();
    QTextDocument document;
    document.setHtml(label.text());
    return document.toPlainText();
}

inline void checkLabel(const QLabel& label, std::vector<std::string>& clipped) {
    if (label.text().isEmpty() || !label.pixmap().isNull()) return;
    const QString text = shownText(label);
    const QRect room =
        label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
    if (label.wordWrap()) {
        // Wrapped: every line fits the width, so what can be cut is the height.
        const int need = label.heightForWidth(label.width());
        if (need > label.height() + 1)
            clipped.push_back(describe(&label, text, need, label.height()) + " (height)");
        return;
    }
    const int need = widestLine(label.fontMetrics(), text);
    if (need > room.width() + 1) clipped.push_back(describe(&label, text, need, room.width()));
}

inline void checkButton(const QAbstractButton& button, std::vector<std::string>& clipped) {
    QString text = button.text();
    if (text.isEmpty()) return;
    text.remove(QLatin1Char('&'));
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = text;
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    if (qobject_cast<const QCheckBox*>(&button)) {
        contents = QStyle::SE_CheckBoxContents;
    } else if (qobject_cast<const QRadioButton*>(&button)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (!qobject_cast<const QPushButton*>(&button)) {
        return;  // tool buttons and our own picture buttons draw no plain text line
    }
    const QRect room = button.style()->subElementRect(contents, &option, &button);
    int need = widestLine(button.fontMetrics(), text);
    if (!button.icon().isNull()) need += button.iconSize().width() + 4;
    if (need > room.width() + 1) clipped.push_back(describe(&button, text, need, room.width()));
}

inline void checkCombo(const QComboBox& combo, std::vector<std::string>& clipped) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    const QRect field =
        combo.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &combo);
    // Any entry may become the one shown; a hidden entry is never shown.
    for (int i = 0; i < combo.count(); ++i) {
        if (auto* view = qobject_cast<const QListView*>(combo.view()); view && view->isRowHidden(i)) continue;
        const QString text = combo.itemText(i);
        const int need = combo.fontMetrics().horizontalAdvance(text);
        if (need > field.width() + 1) clipped.push_back(describe(&combo, text, need, field.width()));
    }
}

inline void checkView(const QAbstractItemView& view, std::vector<std::string>& clipped) {
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    QStyleOptionViewItem option;
    option.initFrom(&view);
    for (int row = 0; row < model->rowCount(view.rootIndex()); ++row) {
        for (int column = 0; column < model->columnCount(view.rootIndex()); ++column) {
            const QModelIndex index = model->index(row, column, view.rootIndex());
            const QRect place = view.visualRect(index);
            const QString text = index.data(Qt::DisplayRole).toString();
            if (text.isEmpty() || place.isEmpty()) continue;
            const int need = view.itemDelegateForIndex(index)->sizeHint(option, index).width();
            if (need > place.width() + 1) clipped.push_back(describe(&view, text, need, place.width()));
        }
    }
}

inline void checkHeader(const QHeaderView& header, std::vector<std::string>& clipped) {
    const QAbstractItemModel* model = header.model();
    if (!model || header.orientation() != Qt::Horizontal) return;
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    for (int section = 0; section < header.count(); ++section) {
        if (header.isSectionHidden(section)) continue;
        const QString text = model->headerData(section, Qt::Horizontal).toString();
        const int need = header.fontMetrics().horizontalAdvance(text) + 2 * margin;
        if (!text.isEmpty() && need > header.sectionSize(section) + 1)
            clipped.push_back(describe(&header, text, need, header.sectionSize(section)));
    }
}

}  // namespace detail

/// Texts under `root` that the user cannot read whole, one line each; only what is visible now counts.
/// Edits (the user's own text) are left out.
inline std::vector<std::string> clippedTexts(const QWidget* root) {
    std::vector<std::string> clipped;
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->width() <= 0) continue;
        if (const auto* label = qobject_cast<const QLabel*>(w)) detail::checkLabel(*label, clipped);
        if (const auto* key = qobject_cast<const ui::DeviceKeyButton*>(w)) {
            // A key's legend is fitted on its own (smaller, on two lines, or not shown at all).
            const ui::DeviceKeyButton::Legend legend = key->legend();
            const int need = detail::widestLine(QFontMetrics(legend.font), legend.text);
            const int room = key->width() - 2 * ui::DeviceKeyButton::kLegendMargin;
            if (!legend.text.isEmpty() && need > room)
                clipped.push_back(detail::describe(key, legend.text, need, room));
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            detail::checkButton(*button, clipped);
        }
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) detail::checkCombo(*combo, clipped);
        if (const auto* header = qobject_cast<const QHeaderView*>(w)) {
            detail::checkHeader(*header, clipped);
        } else if (const auto* view = qobject_cast<const QAbstractItemView*>(w)) {
            detail::checkView(*view, clipped);
        }
    }
    return clipped;
}

}  // namespace halvern::test
