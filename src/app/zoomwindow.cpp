#include "zoomwindow.h"

#include "ui/twips.h"
#include "photos/photoloader.h"

#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace zk {

ZoomWindow::ZoomWindow(PhotoLoader& photoLoader, QWidget* parent)
    : QWidget(parent, Qt::Window), loader(photoLoader)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Fixed text: the window is titled so until a photo is shown.
    setWindowTitle(QStringLiteral("Form3"));
    resize(twips(8370), twips(5625));
}

void ZoomWindow::setPhoto(const QString& photoPath)
{
    path = photoPath;
    setWindowTitle(path);
    blankEmptyCaption();
    // Decoding at screen size costs time; a hidden window waits until shown.
    if (isVisible())
        decode();
    else
        pending = true;
}

void ZoomWindow::setKeepShape(bool keep)
{
    if (keep == keepShape)
        return;
    keepShape = keep;
    if (isVisible())
        decode();
    else
        pending = true;
}

void ZoomWindow::decode()
{
    pending = false;
    QScreen* screen = this->screen();
    const QSize size = screen ? screen->size() * screen->devicePixelRatio() : QSize(1920, 1080);
    const Picture picture
        = loader.load(path, size, keepShape ? PhotoFit::KeepShape : PhotoFit::Stretch);
    image = picture.image;
    reason = picture.error;
    update();
}

void ZoomWindow::blankEmptyCaption()
{
    // A slot without photo leaves the caption empty, but the platform window
    // shows the application name for an empty title; one blank shows nothing.
    if (path.isEmpty() && windowHandle())
        windowHandle()->setTitle(QStringLiteral(" "));
}

void ZoomWindow::showEvent(QShowEvent* event)
{
    blankEmptyCaption(); // the platform window exists from now on
    if (pending)
        decode();
    QWidget::showEvent(event);
}

void ZoomWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!image.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QRectF target(rect());
        if (keepShape) {
            const QSizeF fitted = QSizeF(image.size()).scaled(target.size(), Qt::KeepAspectRatio);
            target = QRectF(
                QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
        }
        painter.drawImage(target, image);
    } else if (!reason.isEmpty()) {
        painter.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap,
            QStringLiteral("%1\n%2").arg(reason, path));
    }
}

} // namespace zk
