#pragma once

#include <QDir>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/controls/control_registry.h"
#include "ui/controls/device_key_button.h"
#include "ui/controls/select_panel.h"
#include "ui/toolkit/deferred_section.h"
#include "ui/toolkit/layout_loader.h"

namespace halvern::ui::test {

inline QString resourceFolder() {
    return QStringLiteral(HALVERN_SOURCE_RESOURCES);
}
inline QString skinFolder() {
    return resourceFolder() + QStringLiteral("/skin");
}
inline QString languageFile(const QString& name) {
    return resourceFolder() + QStringLiteral("/lang/") + name;
}

/// A loader for the real skin folder that knows our own control classes, as the program sets it up;
/// style sheets name the skin's images "skin:<path>".
inline LayoutLoader makeLoader() {
    QDir::setSearchPaths(QStringLiteral("skin"), {skinFolder()});
    LayoutLoader loader;
    loader.setSkinFolder(skinFolder());
    registerCustomControls(loader);
    return loader;
}

/// The loader builds a layout's deferred parts later, so it lives as long as the test program.
inline std::unique_ptr<QWidget> loadLayout(const QString& name) {
    static const LayoutLoader loader = makeLoader();
    return std::unique_ptr<QWidget>(loader.load(name));
}

/// Builds every deferred part under `root`, as if each had been shown.
inline void buildAllParts(const QWidget* root) {
    for (auto parts = DeferredSection::pendingUnder(root); !parts.empty();
         parts = DeferredSection::pendingUnder(root)) {
        for (DeferredSection* part : parts) part->build();
    }
}

/// The key buttons that are direct children of a picture panel.
inline std::vector<DeviceKeyButton*> spotsOf(const SelectPanel& panel) {
    std::vector<DeviceKeyButton*> spots;
    for (QObject* child : panel.children()) {
        if (auto* spot = qobject_cast<DeviceKeyButton*>(child)) spots.push_back(spot);
    }
    return spots;
}

}  // namespace halvern::ui::test
