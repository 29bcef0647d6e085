#include "exifdate.h"

#include "photos/jpegsegments.h"

namespace zk {

namespace {

constexpr quint16 ExifIfdPointer = 0x8769;
constexpr quint16 DateTimeOriginal = 0x9003;
constexpr quint16 AsciiType = 2;

// A TIFF structure (the body of an EXIF block, or a whole TIFF file) with
// the byte order its header names. Every read is bounds-checked: the data
// come from files of any origin.
class Tiff
{
public:
    explicit Tiff(QByteArrayView bytes) : data(bytes) { }

    bool readHeader(quint32* firstIfd)
    {
        if (data.size() < 8)
            return false;
        if (data.startsWith("II"))
            little = true;
        else if (data.startsWith("MM"))
            little = false;
        else
            return false;
        if (u16(2) != 42)
            return false;
        *firstIfd = u32(4);
        return true;
    }

    // The entry of tag in the directory at offset: its type, count and value
    // field (the value itself, or the offset of it when it does not fit).
    bool findTag(quint32 ifd, quint16 tag, quint16* type, quint32* count, quint32* value) const
    {
        if (ifd < 8 || qint64(ifd) + 2 > data.size())
            return false;
        const int entries = u16(ifd);
        for (int n = 0; n < entries; ++n) {
            const qint64 at = qint64(ifd) + 2 + 12 * qint64(n);
            if (at + 12 > data.size())
                return false;
            if (u16(at) == tag) {
                *type = u16(at + 2);
                *count = u32(at + 4);
                *value = u32(at + 8);
                return true;
            }
        }
        return false;
    }

    QByteArrayView bytes(quint32 offset, quint32 count) const
    {
        if (qint64(offset) + count > data.size())
            return {};
        return data.sliced(offset, count);
    }

private:
    quint8 byte(qint64 at) const { return quint8(data[at]); }
    quint16 u16(qint64 at) const
    {
        return little ? quint16(byte(at) | byte(at + 1) << 8)
                      : quint16(byte(at) << 8 | byte(at + 1));
    }
    quint32 u32(qint64 at) const
    {
        return little ? quint32(u16(at)) | quint32(u16(at + 2)) << 16
                      : quint32(u16(at)) << 16 | quint32(u16(at + 2));
    }

    QByteArrayView data;
    bool little = true;
};

// "YYYY:MM:DD HH:MM:SS"; cameras without a set clock write spaces or zeros.
QDateTime parseExifTime(QByteArrayView text)
{
    if (text.size() < 19)
        return {};
    const QByteArray s = text.first(19).toByteArray();
    const QDateTime time
        = QDateTime::fromString(QString::fromLatin1(s), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    return time.isValid() ? time : QDateTime();
}

QDateTime readTiff(QByteArrayView body)
{
    Tiff tiff(body);
    quint32 ifd0 = 0;
    if (!tiff.readHeader(&ifd0))
        return {};
    quint16 type = 0;
    quint32 count = 0;
    quint32 exifIfd = 0;
    if (!tiff.findTag(ifd0, ExifIfdPointer, &type, &count, &exifIfd))
        return {};
    quint32 offset = 0;
    if (!tiff.findTag(exifIfd, DateTimeOriginal, &type, &count, &offset) || type != AsciiType
        || count < 19)
        return {};
    return parseExifTime(tiff.bytes(offset, 19));
}

// The body of the JPEG's EXIF segment, among the segments that come before
// the first scan.
QByteArrayView jpegExif(QByteArrayView data)
{
    QByteArrayView exif;
    walk_jpeg_segments(data, [&exif](quint8 marker, QByteArrayView body) {
        if (marker == 0xE1 && exif.isEmpty() && body.startsWith(QByteArrayView("Exif\0\0", 6)))
            exif = body.sliced(6);
    });
    return exif;
}

} // namespace

QDateTime ExifDate::read(QByteArrayView head)
{
    if (head.startsWith("\xFF\xD8"))
        return readTiff(jpegExif(head));
    return readTiff(head);
}

QDateTime ExifDate::fromTiff(QByteArrayView tiff)
{
    return readTiff(tiff);
}

} // namespace zk
