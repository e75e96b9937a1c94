#include "ui/controls/hand_img_select_button.h"

#include <QDir>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <array>
#include <string_view>

#include "profile/data_folders.h"
#include "ui/controls/hand_img_button.h"
#include "ui/controls/image_cache.h"

namespace halvern::ui {
namespace {

struct CursorName {
    std::string_view name;
    Qt::CursorShape shape;
};

// The cursor names layouts use, after the system cursors of those names.
constexpr std::array<CursorName, 14> kCursorNames{{
    {"arrow", Qt::ArrowCursor},
    {"ibeam", Qt::IBeamCursor},
    {"wait", Qt::WaitCursor},
    {"cross", Qt::CrossCursor},
    {"uparrow", Qt::UpArrowCursor},
    {"size", Qt::SizeAllCursor},
    {"icon", Qt::ArrowCursor},
    {"sizenwse", Qt::SizeFDiagCursor},
    {"sizenesw", Qt::SizeBDiagCursor},
    {"sizewe", Qt::SizeHorCursor},
    {"sizens", Qt::SizeVerCursor},
    {"sizeall", Qt::SizeAllCursor},
    {"no", Qt::ForbiddenCursor},
    {"hand", Qt::PointingHandCursor},
}};

QSize naturalImageSize(const QString& name) {
    if (name.isEmpty()) return {};
    const QString path =
        QDir::isAbsolutePath(name)
            ? name
            : QDir(QString::fromStdString((GetResourceFolder() / "skin").string())).filePath(name);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        const QSvgRenderer renderer(path);
        return renderer.isValid() ? renderer.defaultSize() : QSize();
    }
    return QImageReader(path).size();
}

// Moves the span [low, high) of an axis by the mouse step `delta` against the mouse, inside [0, extent).
void panAxis(int delta, int extent, int& low, int& high) {
    if (delta < 0 && high < extent) {
        const int shift = std::min(-delta, extent - high);  // stop at the far edge
        low += shift;
        high += shift;
    } else if (delta >= 0 && low > 0) {
        const int shift = std::min(delta, low);  // stop at the near edge
        low -= shift;
        high -= shift;
    }
}

}  // namespace

HandImgSelectButton::HandImgSelectButton(QWidget* parent) : QPushButton(parent) {}

void HandImgSelectButton::setHandImage(const QString& image) {
    m_handImage = image;
    m_imageSize = naturalImageSize(image);
    resetView();
    update();
}

void HandImgSelectButton::resetView() {
    m_view = QRect(QPoint(0, 0), size());
    m_cropped = width() < m_imageSize.width() || height() < m_imageSize.height();
}

void HandImgSelectButton::setCursorName(const QString& name) {
    if (name.isEmpty()) return;
    const auto it = std::find_if(kCursorNames.begin(), kCursorNames.end(), [&](const CursorName& entry) {
        return name.compare(QLatin1String(entry.name.data(), static_cast<qsizetype>(entry.name.size())),
                            Qt::CaseInsensitive) == 0;
    });
    if (it == kCursorNames.end()) return;
    m_cursorName = name;
    setCursor(it->shape);
}

void HandImgSelectButton::resizeEvent(QResizeEvent* event) {
    // Keep the window's corner, take the new size, and pull it back inside the image.
    const QPoint corner = m_view.topLeft();
    resetView();
    const int maxLeft = std::max(0, m_imageSize.width() - width());
    const int maxTop = std::max(0, m_imageSize.height() - height());
    m_view.moveTopLeft(QPoint(std::clamp(corner.x(), 0, maxLeft), std::clamp(corner.y(), 0, maxTop)));
    QPushButton::resizeEvent(event);
}

void HandImgSelectButton::press(QPoint at) {
    if (isEnabled() && rect().contains(at)) {
        setDown(true);
        m_captured = true;
        m_last = at;
        update();
    }
    m_pressed = true;
}

void HandImgSelectButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) press(event->position().toPoint());
}

void HandImgSelectButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) press(event->position().toPoint());
}

void HandImgSelectButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (m_captured) {
        setDown(false);
        m_captured = false;
        update();
    }
    m_pressed = false;
}

void HandImgSelectButton::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (m_pressed) pan(at);
    if (m_captured) setDown(rect().contains(at));
    update();
}

void HandImgSelectButton::pan(QPoint at) {
    int left = m_view.left();
    int right = m_view.left() + m_view.width();
    int top = m_view.top();
    int bottom = m_view.top() + m_view.height();
    panAxis(at.x() - m_last.x(), m_imageSize.width(), left, right);
    panAxis(at.y() - m_last.y(), m_imageSize.height(), top, bottom);
    m_view = QRect(left, top, right - left, bottom - top);
    m_last = at;
}

void HandImgSelectButton::enterEvent(QEnterEvent* event) {
    noteHandHover(*this, m_hot, true);
    QPushButton::enterEvent(event);
}

void HandImgSelectButton::leaveEvent(QEvent* event) {
    noteHandHover(*this, m_hot, false);
    QPushButton::leaveEvent(event);
}

void HandImgSelectButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (m_imageSize.isEmpty()) return;
    QPainter p(this);
    if (!m_cropped) {
        const QPixmap whole = cachedImage(m_handImage, size());
        if (!whole.isNull()) p.drawPixmap(rect(), whole);
        return;
    }
    const QPixmap image = cachedImage(m_handImage, m_imageSize);
    const QRect source = m_view.intersected(image.rect());
    if (image.isNull() || source.isEmpty()) return;
    p.drawPixmap(QRect(source.topLeft() - m_view.topLeft(), source.size()), image, source);
}

}  // namespace halvern::ui
