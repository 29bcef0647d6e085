#include "photobox.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace zk {

namespace {

// The largest rectangle with picture's proportions inside box, centred.
QRectF fitted(const QSize& picture, const QRect& box)
{
    const QSizeF size = QSizeF(picture).scaled(QSizeF(box.size()), Qt::KeepAspectRatio);
    return QRectF(QPointF(box.x() + (box.width() - size.width()) / 2,
                      box.y() + (box.height() - size.height()) / 2),
        size);
}

} // namespace

PhotoBox::PhotoBox(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PhotoBox::setPicture(const QImage& picture)
{
    image = picture;
    unreadablePath.clear();
    reasonText.clear();
    setToolTip({});
    update();
}

void PhotoBox::setKeepShape(bool keep)
{
    keepShape = keep;
    update();
}

void PhotoBox::showUnreadable(const QString& path, const QString& reason)
{
    image = QImage();
    unreadablePath = path;
    reasonText = reason;
    setToolTip(path + QLatin1Char('\n') + reason);
    update();
}

void PhotoBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(keepShape ? fitted(image.size(), rect()) : QRectF(rect()), image);
        return;
    }
    if (unreadablePath.isEmpty())
        return;
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(245, 240, 230));
    const QRect area = rect().adjusted(10, 10, -10, -10);
    const QRect upper(area.left(), area.top(), area.width(), area.height() / 2 - 2);
    const QRect lower(area.left(), area.center().y() + 2, area.width(), area.height() / 2 - 2);
    painter.setPen(QColor(150, 40, 40));
    painter.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextWordWrap, reasonText);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString name = QFileInfo(unreadablePath).fileName();
    painter.drawText(lower, Qt::AlignHCenter | Qt::AlignTop,
        painter.fontMetrics().elidedText(name, Qt::ElideMiddle, area.width()));
}

void PhotoBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        leftPressed = true;
}

void PhotoBox::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && leftPressed
        && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed = false;
    Q_EMIT released(event->button(), event->globalPosition().toPoint());
    if (click)
        Q_EMIT clicked();
}

void PhotoBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The press of the second click; its release is no click of its own.
    leftPressed = false;
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

void PhotoBox::dragEnterEvent(QDragEnterEvent* event)
{
    // Only files are taken; text and other data are not dropped here.
    const QList<QUrl> urls = event->mimeData()->urls();
    const bool files
        = std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
    if (files) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void PhotoBox::dropEvent(QDropEvent* event)
{
    QStringList paths;
    const QList<QUrl> urls = event->mimeData()->urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT filesDropped(paths);
}

} // namespace zk
