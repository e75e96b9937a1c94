#include "ui/toolkit/layout_loader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QUiLoader>
#include <QWidget>

#include "device/debug_sink.h"
#include "profile/data_folders.h"
#include "ui/toolkit/deferred_section.h"

namespace halvern::ui {
namespace {

// Empties the application's library path while it lives.
class LibraryPathHidden {
protected:
    LibraryPathHidden() : m_paths(QCoreApplication::libraryPaths()) { QCoreApplication::setLibraryPaths({}); }
    void restore() { QCoreApplication::setLibraryPaths(m_paths); }

private:
    QStringList m_paths;
};

// QUiLoader's constructor loads every Qt Designer plugin on the library path: on Debian the Qt Quick
// widget's, which brings QML and Qt Quick in (some 5 MB resident and tens of milliseconds). No layout uses
// a plugin (our own controls come from the factories), so the loader is made while the path is empty.
class FactoryLoader final : private LibraryPathHidden, public QUiLoader {
public:
    FactoryLoader(const std::map<QString, ControlCreator>& creators, QWidget* into)
        : m_creators(creators), m_into(into) {
        restore();
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        // A deferred part's document has one top widget: the existing one it is built into.
        if (QWidget* into = std::exchange(m_into, nullptr)) return into;
        auto it = m_creators.find(className.toLower());
        if (it == m_creators.end()) return QUiLoader::createWidget(className, parent, name);
        QWidget* w = it->second(parent);
        if (w) w->setObjectName(name);
        return w;
    }

private:
    const std::map<QString, ControlCreator>& m_creators;
    QWidget* m_into;
};

// Labels show language texts and what users typed (names of macros, profiles, EQ settings, sound
// styles); neither is markup, and a name such as "<b>x</b>" must read as typed.
void makeLabelsPlain(QWidget& root) {
    QList<QLabel*> labels = root.findChildren<QLabel*>();
    if (auto* label = qobject_cast<QLabel*>(&root)) labels.push_back(label);
    for (QLabel* label : labels) label->setTextFormat(Qt::PlainText);
}

// A part's own document: its children under one widget, with the custom widget list of its layout.
QString partDocument(const DeferredMarkup& part, const QString& shared) {
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n"
               "<widget class=\"QWidget\" name=\"%1\">\n")
               .arg(part.name.toHtmlEscaped()) +
           part.children + QStringLiteral("</widget>\n") + shared + QStringLiteral("</ui>\n");
}

}  // namespace

LayoutLoader::LayoutLoader() : m_skinFolder(QString::fromStdString((GetResourceFolder() / "skin").string())) {
    setSkinFolder(m_skinFolder);
}

void LayoutLoader::setSkinFolder(const QString& folder) {
    m_skinFolder = folder;
    // Layouts and the style sheet name their images "skin:<path>".
    QDir::setSearchPaths(QStringLiteral("skin"), {folder});
}

void LayoutLoader::registerControl(const QString& className, ControlCreator creator) {
    m_creators[className.toLower()] = std::move(creator);
}

bool LayoutLoader::knows(const QString& className) const {
    return m_creators.count(className.toLower()) != 0;
}

QWidget* LayoutLoader::load(const QString& layout, QWidget* parent) const {
    const QString path = QDir::isAbsolutePath(layout) ? layout : QDir(m_skinFolder).filePath(layout);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        debugLog("layout missing: " + path.toStdString());
        return nullptr;
    }
    return loadDocument(QString::fromUtf8(file.readAll()), path, QFileInfo(path).absolutePath(), parent,
                        nullptr);
}

bool LayoutLoader::buildInto(QWidget& section, const QString& document) const {
    const QString what = m_skinFolder + QStringLiteral(" part ") + section.objectName();
    if (!loadDocument(document, what, m_skinFolder, nullptr, &section)) return false;
    // Widgets made later join the window's focus chain at its end; Tab goes through them where they
    // would have been, after the last widget before the part that takes focus.
    QWidget* before = section.previousInFocusChain();
    while (before != &section && (before->focusPolicy() == Qt::NoFocus || section.isAncestorOf(before)))
        before = before->previousInFocusChain();
    std::vector<QWidget*> made;
    for (QWidget* w = section.nextInFocusChain(); w != &section; w = w->nextInFocusChain()) {
        if (section.isAncestorOf(w) && w->focusPolicy() != Qt::NoFocus) made.push_back(w);
    }
    for (QWidget* w : made) {
        if (before != &section) QWidget::setTabOrder(before, w);
        before = w;
    }
    // Made under a widget already shown: they show as its children would have when it was shown.
    for (QObject* child : section.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow() && !widget->testAttribute(Qt::WA_WState_ExplicitShowHide))
            widget->show();
    }
    return true;
}

QWidget* LayoutLoader::loadDocument(const QString& document, const QString& what, const QString& folder,
                                    QWidget* parent, QWidget* into) const {
    SplitLayout split = splitDeferredParts(document);
    QByteArray bytes = split.layout.toUtf8();
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return nullptr;
    FactoryLoader loader(m_creators, into);
    loader.setWorkingDirectory(QDir(folder));
    QWidget* w = loader.load(&buffer, parent);
    if (!w) {
        debugLog("layout unreadable: " + what.toStdString() + ": " + loader.errorString().toStdString());
        return nullptr;
    }
    makeLabelsPlain(*w);
    for (const DeferredMarkup& part : split.parts) {
        auto* section = w->objectName() == part.name ? w : w->findChild<QWidget*>(part.name);
        if (section && !DeferredSection::of(section))
            new DeferredSection(*this, *section, partDocument(part, split.shared),
                                part.widgets);  // owned by the section
    }
    return w;
}

QWidget* loadFilling(const LayoutLoader* loader, const char* layout, QWidget* host) {
    auto* box = new QHBoxLayout(host);  // owned by the host
    box->setContentsMargins(0, 0, 0, 0);
    QWidget* content = loader ? loader->load(QString::fromLatin1(layout), host) : nullptr;
    if (content) box->addWidget(content);
    return content;
}

}  // namespace halvern::ui
