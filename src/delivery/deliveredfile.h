#pragma once

#include <QDateTime>
#include <QString>

namespace zk {

// What the delivery needs to know of a photo or drawing file, read from its
// first bytes without decoding it.
struct DeliveredFile
{
    QString error; // why the file cannot be read; empty when it can
    QString format; // "JPEG", "TIFF", "PNG", …; empty when unknown
    QString extension; // "JPG" or "TIF" for what may be delivered, else empty
    QDateTime exifTime; // EXIF DateTimeOriginal; invalid when missing
    qint64 width = 0;
    qint64 height = 0;
    qint64 size = 0;
    qint64 modified = 0; // ms since the epoch, UTC

    bool readable() const { return error.isEmpty(); }
    bool deliverable() const { return !extension.isEmpty(); }
    qint64 pixels() const { return width * height; }

    static DeliveredFile read(const QString& path);
};

} // namespace zk
