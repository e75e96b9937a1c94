#include "ui/toolkit/language_texts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace halvern::ui {
namespace {

void setControlText(QWidget* w, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
        box->setTitle(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setPlaceholderText(text);
    } else {
        w->setWindowTitle(text);
    }
}

}  // namespace

bool LanguageTexts::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // Language files are small; anything beyond a few MiB is not one.
    if (file.size() > qint64{8} * 1024 * 1024) return false;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    QHash<QString, QString> texts;
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString()) texts.insert(it.key(), it.value().toString());
    }
    m_texts = std::move(texts);
    return true;
}

QString LanguageTexts::text(const QString& id) const {
    return m_texts.value(id, id);
}

QEvent::Type LanguageTexts::AppliedEvent::type() {
    static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
    return registered;
}

void LanguageTexts::apply(QWidget* root) const {
    if (!root) return;
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    for (QWidget* w : widgets) {
        const QVariant textId = w->property("textId");
        if (textId.isValid() && !textId.toString().isEmpty()) setControlText(w, text(textId.toString()));
        const QVariant tipId = w->property("toolTipId");
        if (tipId.isValid() && !tipId.toString().isEmpty()) w->setToolTip(text(tipId.toString()));
    }
    // After all texts are set, so a control that reacts sees its children translated.
    for (const QPointer<QWidget>& w : QList<QPointer<QWidget>>(widgets.begin(), widgets.end())) {
        AppliedEvent applied(*this);
        if (w) QCoreApplication::sendEvent(w, &applied);
    }
}

}  // namespace halvern::ui
