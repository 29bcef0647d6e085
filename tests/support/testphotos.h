#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <algorithm>

#include "testbytes.h"

// Photos the tests write byte by byte: a small JPEG, its segments, EXIF and
// blackboard XMP.
inline QByteArray le(QByteArray big)
{
    std::reverse(big.begin(), big.end());
    return big;
}

// A TIFF body with IFD0 -> EXIF IFD -> DateTimeOriginal, in either byte order.
// dateOffset moves the string's offset, to forge one that points nowhere.
inline QByteArray exifBody(const QByteArray& time, bool little, quint32 dateOffset = 44)
{
    const auto w16 = [little](int v) { return little ? le(be16(v)) : be16(v); };
    const auto w32 = [little](quint32 v) { return little ? le(be32(v)) : be32(v); };
    QByteArray t = little ? QByteArray("II") : QByteArray("MM");
    t += w16(42) + w32(8);
    t += w16(1) + w16(0x8769) + w16(4) + w32(1) + w32(26) + w32(0); // IFD0 at 8
    t += w16(1) + w16(0x9003) + w16(2) + w32(20) + w32(dateOffset) + w32(0); // EXIF IFD at 26
    t += time + QByteArray(1, '\0'); // at 44
    return t;
}

// A picture of one colour, as the tests place them in slots.
inline QImage solidPhoto(QSize size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Writes a picture of one colour; the file name's suffix picks the format.
inline bool writeSolidPhoto(const QString& path, QSize size, const QColor& colour)
{
    return solidPhoto(size, colour).save(path);
}

// The picture as a file of `format` holds it.
inline QByteArray encodedPhoto(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QByteArray plainJpeg(QSize size = QSize(32, 24))
{
    return encodedPhoto(solidPhoto(size, Qt::darkGreen), "JPG");
}

inline QByteArray withSegment(const QByteArray& jpeg, int marker, const QByteArray& body)
{
    return jpeg.left(2) + char(0xFF) + char(marker) + be16(int(body.size()) + 2) + body
        + jpeg.mid(2);
}

inline QByteArray exifJpeg(const QByteArray& time, bool little = false, QSize size = QSize(32, 24))
{
    return withSegment(plainJpeg(size), 0xE1, QByteArray("Exif\0\0", 6) + exifBody(time, little));
}

// An XMP packet as electronic-blackboard cameras write it: `attributes` go
// on rdf:Description, `elements` inside it; the prefix is the caller's.
inline QByteArray boardXmp(const QString& elements, const QString& attributes = {},
    const QString& prefix = QStringLiteral("photo"))
{
    return QStringLiteral(
        "<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:%1=\"http://dcpadv.org/schema/3.0/photoinfo\" "
        "xmlns:measurement=\"http://dcpadv.org/schema/3.0/measurement\" "
        "xmlns:item=\"http://dcpadv.org/schema/3.0/measurementitem\" %2>%3</rdf:Description>"
        "</rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>")
        .arg(prefix, attributes, elements)
        .toUtf8();
}

inline QByteArray xmpSegmentBody(const QByteArray& packet)
{
    return QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + packet;
}
