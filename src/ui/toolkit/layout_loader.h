#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <map>

namespace halvern::ui {

/// Makes a control of one of our own classes; the layout's parent is passed in.
using ControlCreator = std::function<QWidget*(QWidget* parent)>;

/// Builds windows and pages at run time from Qt Designer layouts in the skin folder, creating the
/// controls of our own classes by class name (compared without regard to case) through registered
/// creators. A class no creator knows is made by Qt's own loader.
///
/// A plain widget whose dynamic property "buildOnShow" is true is loaded empty; its children are built the
/// first time it is shown (see DeferredSection). A part nobody looks at costs neither its widgets nor
/// their style. The loader must outlive what it loaded.
class LayoutLoader {
public:
    LayoutLoader();

    /// Registers (or replaces) the creator of one class name.
    void registerControl(const QString& className, ControlCreator creator);
    [[nodiscard]] bool knows(const QString& className) const;

    /// Loads `layout` (a file name in the skin folder, or an absolute path) under `parent`. Null, with a
    /// debug line, when the file is missing or not a layout. The result is owned by `parent` when given.
    [[nodiscard]] QWidget* load(const QString& layout, QWidget* parent = nullptr) const;

    /// Builds a deferred part (a whole layout document whose one widget stands for `section`) into
    /// `section`, and shows what it made as a visible parent shows its children. False, with a debug
    /// line, when the markup cannot be loaded.
    [[nodiscard]] bool buildInto(QWidget& section, const QString& document) const;

    /// The folder the layouts come from: the resource folder's "skin".
    [[nodiscard]] QString skinFolder() const { return m_skinFolder; }
    void setSkinFolder(const QString& folder);

private:
    /// Loads a layout document (`what` names it in debug lines, relative paths in it start at `folder`);
    /// `into`, when given, stands for its top widget. Deferred parts get their DeferredSection.
    QWidget* loadDocument(const QString& document, const QString& what, const QString& folder,
                          QWidget* parent, QWidget* into) const;

    std::map<QString, ControlCreator> m_creators;  // keyed by lower-case class name
    QString m_skinFolder;
};

/// Loads `layout` as the whole content of `host` (edge to edge); the content, or null when there is no
/// loader or the layout cannot be loaded (the host then stays empty).
[[nodiscard]] QWidget* loadFilling(const LayoutLoader* loader, const char* layout, QWidget* host);

}  // namespace halvern::ui
