#pragma once

#include <QEvent>
#include <QHash>
#include <QString>

class QWidget;

namespace halvern::ui {

/// The texts of one interface language: text id → text, from a JSON object file in the language folder.
/// Layouts name their texts with the dynamic properties "textId" and "toolTipId"; apply() sets them.
class LanguageTexts {
public:
    /// Loads a language file. False (and the texts unchanged) when it is missing or not a JSON object.
    bool load(const QString& path);

    /// The text of an id; the id itself when the language has no such text, so a gap shows, not a blank.
    [[nodiscard]] QString text(const QString& id) const;
    [[nodiscard]] bool contains(const QString& id) const { return m_texts.contains(id); }
    [[nodiscard]] qsizetype size() const { return m_texts.size(); }

    /// Sets the text and tooltip of every control under `root` (root included) that names a text id, then
    /// sends each of them an AppliedEvent.
    void apply(QWidget* root) const;

    /// Tells a control which language its texts just came from. A control that changes its own text ids
    /// later (the power widget's phone tooltip follows the reported phone) takes the texts it needs from
    /// it, so it never shows an id or a stale text. Sent synchronously; the texts are valid only during
    /// the event.
    class AppliedEvent final : public QEvent {
    public:
        explicit AppliedEvent(const LanguageTexts& texts) : QEvent(type()), m_texts(texts) {}
        [[nodiscard]] static QEvent::Type type();
        [[nodiscard]] const LanguageTexts& texts() const { return m_texts; }

    private:
        const LanguageTexts& m_texts;
    };

private:
    QHash<QString, QString> m_texts;
};

}  // namespace halvern::ui
