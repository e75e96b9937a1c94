#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace halvern::ui {

class LayoutLoader;

/// One part of a layout left out of it to be built later: the name of the widget that holds it, the
/// markup of its children (its layout and child widgets) and the names of the widgets in that markup.
struct DeferredMarkup {
    QString name;
    QString children;
    QStringList widgets;
};

/// A layout with its deferred parts cut out: a widget whose dynamic property "buildOnShow" is true is
/// loaded empty, and its children's markup is kept aside. Marks inside a part that is cut out stay in that
/// part (they take effect when it is built). Markup that is not well-formed comes back unchanged, without
/// parts, so the loader reports it as before.
struct SplitLayout {
    QString layout;
    std::vector<DeferredMarkup> parts;
    QString shared;  ///< what every part needs of the document beside its widgets (custom widget list)
};
[[nodiscard]] SplitLayout splitDeferredParts(const QString& markup);

/// The deferred part of one widget of a loaded layout: its children are built by the same loader the
/// first time the widget is shown (its Show event, which a stacked page receives when it becomes current),
/// or earlier through build(). Owned by the widget.
class DeferredSection final : public QObject {
    Q_OBJECT
public:
    /// `widgets`: the names of the widgets the markup makes (DeferredMarkup::widgets).
    DeferredSection(const LayoutLoader& loader, QWidget& section, QString markup, QStringList widgets);

    /// The deferred part of `section`, or null when it has none.
    [[nodiscard]] static DeferredSection* of(const QWidget* section);
    /// Every deferred part under `root` (root included) not yet built.
    [[nodiscard]] static std::vector<DeferredSection*> pendingUnder(const QWidget* root);

    [[nodiscard]] bool built() const { return m_built; }
    [[nodiscard]] QWidget* section() const;
    /// Builds the part now (once); false when it was built already or its markup could not be loaded.
    bool build();
    /// Whether the part, once built, holds a control named `name`.
    [[nodiscard]] bool holds(const QString& name) const;

signals:
    /// The part's controls exist now (emitted once, right after they were made and shown).
    void sectionBuilt(QWidget* section);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const LayoutLoader& m_loader;
    QString m_markup;
    QStringList m_widgets;
    bool m_built = false;
};

}  // namespace halvern::ui
