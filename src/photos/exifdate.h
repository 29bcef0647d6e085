#pragma once

#include <QByteArrayView>
#include <QDateTime>

namespace zk {

// The shooting time a camera writes into a photo (EXIF DateTimeOriginal),
// read from the first bytes of a JPEG or TIFF file without decoding it.
class ExifDate
{
public:
    // How many bytes from the start of a file hold the EXIF block: JPEG
    // keeps it in one APP1 segment of at most 64 KiB near the start.
    static constexpr qint64 HeadBytes = 256 * 1024;

    // The time as the camera's clock showed it (no time zone), or an invalid
    // date time when the data hold none or a malformed one.
    static QDateTime read(QByteArrayView head);
    // The same from the TIFF structure of an EXIF block (a JPEG's APP1 body
    // after "Exif\0\0"), for readers that walk the segments themselves.
    static QDateTime fromTiff(QByteArrayView tiff);
};

} // namespace zk
