#pragma once

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>

// Photo files as an interrupted copy or a bad card leaves them, and their
// sound originals. Noise keeps the JPEGs larger than the head a quick look
// reads, so that the file's end is what tells.
inline QByteArray noisyPhoto(const char* format, bool progressive = false)
{
    QImage image(640, 480, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// The PNG with one byte of its first chunk of the given type changed after
// the chunk's length and type.
inline QByteArray withChunkByteFlipped(QByteArray png, const char* type)
{
    const qsizetype at = png.indexOf(type);
    if (at >= 0)
        png[at + 4] = char(png[at + 4] ^ 0x5A);
    return png;
}

// Name, content and whether the photo prints.
struct PhotoCase
{
    const char* name;
    QByteArray bytes;
    bool prints;
};

inline QList<PhotoCase> photosCutShortOrNot()
{
    const QByteArray jpeg = noisyPhoto("jpeg");
    const QByteArray progressive = noisyPhoto("jpeg", true);
    const QByteArray png = noisyPhoto("png");
    return {
        { "whole.jpg", jpeg, true },
        { "trailing-bytes.jpg", jpeg + QByteArray(4096, 'v'), true },
        { "half.jpg", jpeg.left(jpeg.size() / 2), false },
        { "95-percent.jpg", jpeg.left(jpeg.size() * 95 / 100), false },
        { "progressive-cut.jpg", progressive.left(progressive.size() * 3 / 4), false },
        { "whole.png", png, true },
        { "half.png", png.left(png.size() / 2), false },
        { "damaged-data.png", withChunkByteFlipped(png, "IDAT"), false },
    };
}
