#include "ui/controls/image_cache.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include "profile/data_folders.h"

namespace halvern::ui {
namespace {

QString& imageFolder() {
    static QString folder = QString::fromStdString((GetResourceFolder() / "skin").string());
    return folder;
}

}  // namespace

void setImageFolder(const QString& folder) {
    imageFolder() = folder;
}

QPixmap cachedImage(const QString& name, QSize logicalSize, qreal devicePixelRatio) {
    if (name.isEmpty() || logicalSize.isEmpty()) return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : qGuiApp->devicePixelRatio();
    const QSize size = (QSizeF(logicalSize) * ratio).toSize();
    const QString key = QStringLiteral("halvern:%1:%2x%3").arg(name).arg(size.width()).arg(size.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    const QString path = QDir::isAbsolutePath(name) ? name : QDir(imageFolder()).filePath(name);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid()) return {};
        pixmap = QPixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        renderer.render(&p);
    } else {
        QPixmap loaded(path);
        if (loaded.isNull()) return {};
        pixmap = loaded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

}  // namespace halvern::ui
