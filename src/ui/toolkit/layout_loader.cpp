#include "ui/toolkit/layout_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QUiLoader>

#include "device/debug_sink.h"
#include "profile/data_folders.h"

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
    explicit FactoryLoader(const std::map<QString, ControlCreator>& creators) : m_creators(creators) {
        restore();
    }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        auto it = m_creators.find(className.toLower());
        if (it == m_creators.end()) return QUiLoader::createWidget(className, parent, name);
        QWidget* w = it->second(parent);
        if (w) w->setObjectName(name);
        return w;
    }

private:
    const std::map<QString, ControlCreator>& m_creators;
};

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
    FactoryLoader loader(m_creators);
    loader.setWorkingDirectory(QFileInfo(path).absoluteDir());
    QWidget* w = loader.load(&file, parent);
    if (!w) {
        debugLog("layout unreadable: " + path.toStdString() + ": " + loader.errorString().toStdString());
        return nullptr;
    }
    // Labels show language texts and what users typed (names of macros, profiles, EQ settings, sound
    // styles); neither is markup, and a name such as "<b>x</b>" must read as typed.
    QList<QLabel*> labels = w->findChildren<QLabel*>();
    if (auto* label = qobject_cast<QLabel*>(w)) labels.push_back(label);
    for (QLabel* label : labels) label->setTextFormat(Qt::PlainText);
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
