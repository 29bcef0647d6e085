#pragma once

#include <QImage>
#include <QWidget>

namespace zk {

class PhotoLoader;

// The enlarged view of one photo, captioned with its file's path. The photo
// is stretched over the whole window at any size. It is decoded at the
// screen's size when the window shows it, not blown up from the small slot
// picture, and then kept: later changes of the entry do not reach it.
class ZoomWindow : public QWidget
{
    Q_OBJECT

public:
    ZoomWindow(PhotoLoader& loader, QWidget* parent);

    // Caption and picture of the photo in path ("" for none).
    void setPhoto(const QString& path);
    QString photoPath() const { return path; }
    const QImage& picture() const { return image; }
    bool isUnreadable() const { return !reason.isEmpty(); }
    // Why the picture cannot be shown; empty while it can.
    const QString& unreadableReason() const { return reason; }
    // Shows the photo with its own proportions, centred, instead of stretched.
    void setKeepShape(bool keep);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void blankEmptyCaption();
    void decode();

    PhotoLoader& loader;
    QString path;
    QImage image;
    QString reason; // the loader's, for a file that cannot be shown
    bool pending = false; // set while hidden; decoded when shown
    bool keepShape = false;
};

} // namespace zk
