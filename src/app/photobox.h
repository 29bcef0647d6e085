#pragma once

#include <QImage>
#include <QWidget>

namespace zk {

// A slot's photo: the picture stretched over the whole box. It reports the
// mouse as the slot commands need it and accepts dropped files.
class PhotoBox : public QWidget
{
    Q_OBJECT

public:
    explicit PhotoBox(QWidget* parent = nullptr);

    // A null image empties the box.
    void setPicture(const QImage& image);
    const QImage& picture() const { return image; }
    // Shows the picture with its own proportions, centred, instead of stretched.
    void setKeepShape(bool keep);

    // Shown instead of a picture whose file cannot be read: the loader's
    // reason and the file's name.
    void showUnreadable(const QString& path, const QString& reason);
    bool isUnreadable() const { return !unreadablePath.isEmpty(); }
    const QString& unreadableReason() const { return reasonText; }

Q_SIGNALS:
    void released(Qt::MouseButton button, const QPoint& globalPosition);
    // Press and release of the left button on the box; not sent for the
    // second click of a double click.
    void clicked();
    void doubleClicked();
    // The local files of a drop; not sent for drops without local files.
    void filesDropped(const QStringList& paths);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QImage image;
    QString unreadablePath;
    QString reasonText;
    bool leftPressed = false;
    bool keepShape = false;
};

} // namespace zk
