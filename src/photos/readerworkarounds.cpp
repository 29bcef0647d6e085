#include "readerworkarounds.h"

#include <QtEndian>

#include <bit>

namespace zk {

namespace {

quint16 le16(const QByteArray& d, qsizetype at)
{
    return qFromLittleEndian<quint16>(d.constData() + at);
}

quint32 le32(const QByteArray& d, qsizetype at)
{
    return qFromLittleEndian<quint32>(d.constData() + at);
}

quint32 be32(const QByteArray& d, qsizetype at)
{
    return qFromBigEndian<quint32>(d.constData() + at);
}

void putLe16(QByteArray& d, qsizetype at, quint16 v)
{
    qToLittleEndian(v, d.data() + at);
}

void putLe32(QByteArray& d, qsizetype at, quint32 v)
{
    qToLittleEndian(v, d.data() + at);
}

// A mask of one run of set bits, as bit fields must be.
bool contiguous(quint32 mask)
{
    if (mask == 0)
        return true;
    const quint32 low = mask >> std::countr_zero(mask);
    return (low & (low + 1)) == 0;
}

// One channel of a bit-field pixel scaled to 0..255.
int channel(quint32 pixel, quint32 mask)
{
    if (mask == 0)
        return 255;
    const int shift = std::countr_zero(mask);
    const quint64 max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

} // namespace

ReaderWorkarounds::ReaderWorkarounds(const QByteArray& data) : bytes(data)
{
    if (bytes.startsWith("BM"))
        inspectBmp();
    else if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        inspectPng();
}

void ReaderWorkarounds::inspectBmp()
{
    if (bytes.size() < 26)
        return; // too short for any header: Qt's reader refuses it
    const quint32 offset = le32(bytes, 10);
    const quint32 headerSize = le32(bytes, 14);

    if (headerSize == 12) {
        // OS/2 1.x: the palette of 3-byte entries fills the space up to the
        // pixels, which may hold fewer entries than the bit depth allows.
        const int depth = le16(bytes, 24);
        if (depth > 8)
            return;
        if (offset < 26 || offset > quint32(bytes.size())) {
            refused = true;
            return;
        }
        const int entries = int(qMin<quint32>((offset - 26) / 3, 1u << depth));
        if (entries == (1 << depth))
            return; // a full palette Qt reads right
        if (entries == 0) {
            refused = true;
            return;
        }
        QByteArray out(14 + 40, '\0');
        out[0] = 'B';
        out[1] = 'M';
        putLe32(out, 14, 40);
        putLe32(out, 18, le16(bytes, 18)); // width
        putLe32(out, 22, le16(bytes, 20)); // height, rows bottom up
        putLe16(out, 26, 1);
        putLe16(out, 28, quint16(depth));
        putLe32(out, 46, quint32(entries)); // colours used
        for (int i = 0; i < entries; ++i)
            out += bytes.mid(26 + 3 * i, 3) + '\0';
        putLe32(out, 10, quint32(out.size()));
        out += bytes.mid(offset);
        putLe32(out, 2, quint32(out.size()));
        bytes = out;
        return;
    }

    if (headerSize < 40 || bytes.size() < 54)
        return;
    const int depth = le16(bytes, 28);
    const quint32 compression = le32(bytes, 30);
    if ((compression != 3 && compression != 6) || (depth != 16 && depth != 32))
        return;
    // The masks follow a 40-byte header, or are part of a longer one.
    const int count = compression == 6 || headerSize >= 56 ? 4 : 3;
    if (bytes.size() < 54 + 4 * count) {
        refused = true;
        return;
    }
    for (int i = 0; i < count; ++i)
        masks[size_t(i)] = le32(bytes, 54 + 4 * i);
    bool wide = false;
    for (size_t i = 0; i < masks.size(); ++i) {
        if (depth == 16 && masks[i] > 0xFFFF) // bits beyond the pixel
            refused = true;
        if (!contiguous(masks[i]))
            refused = true;
        for (size_t j = i + 1; j < masks.size(); ++j)
            if (masks[i] & masks[j])
                refused = true;
        wide = wide || std::popcount(masks[i]) > 8;
    }
    if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
        refused = true;
    bitFields = wide && !refused;
}

void ReaderWorkarounds::inspectPng()
{
    // Chunks: length, type, data, CRC. Only IHDR and tRNS matter here.
    qsizetype at = 8;
    int depth = 0;
    int colourType = -1;
    qsizetype trnsAt = -1;
    quint32 trnsLength = 0;
    while (at + 12 <= bytes.size()) {
        const quint32 length = be32(bytes, at);
        if (length > quint32(bytes.size() - at - 12))
            return; // cut short: left to the loader's own checks
        const QByteArray type = bytes.mid(at + 4, 4);
        if (type == "IHDR" && length >= 13) {
            depth = quint8(bytes.at(at + 8 + 8));
            colourType = quint8(bytes.at(at + 8 + 9));
        } else if (type == "tRNS") {
            trnsAt = at;
            trnsLength = length;
        } else if (type == "IDAT" || type == "IEND") {
            break;
        }
        at += 12 + length;
    }
    if (depth != 16 || trnsAt < 0)
        return;
    keyChannels = colourType == 0 ? 1 : colourType == 2 ? 3 : 0;
    if (keyChannels == 0 || trnsLength != quint32(2 * keyChannels)) {
        keyChannels = 0;
        refused = true;
        return;
    }
    for (int i = 0; i < keyChannels; ++i)
        key[size_t(i)] = qFromBigEndian<quint16>(bytes.constData() + trnsAt + 8 + 2 * i);
    bytes.remove(trnsAt, 12 + trnsLength);
}

bool ReaderWorkarounds::readsFullSize(QImage::Format readerFormat) const
{
    return keyChannels > 0 || readerFormat == QImage::Format_Mono
        || readerFormat == QImage::Format_MonoLSB;
}

QImage ReaderWorkarounds::decode() const
{
    const qint64 width = qint32(le32(bytes, 18));
    const qint64 signedHeight = qint32(le32(bytes, 22));
    const qint64 height = qAbs(signedHeight);
    const int depth = le16(bytes, 28);
    const qint64 offset = le32(bytes, 10);
    const qint64 stride = (width * depth + 31) / 32 * 4;
    if (width <= 0 || height <= 0 || offset + stride * height > bytes.size())
        return {};
    // Alpha only when the file has some: many writers leave its bits zero.
    bool alpha = false;
    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (qint64 row = 0; row < height; ++row) {
        const qint64 y = signedHeight < 0 ? row : height - 1 - row;
        const char* line = bytes.constData() + offset + row * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (qint64 x = 0; x < width; ++x) {
            const quint32 pixel = depth == 32 ? qFromLittleEndian<quint32>(line + 4 * x)
                                              : qFromLittleEndian<quint16>(line + 2 * x);
            const int a = masks[3] ? channel(pixel, masks[3]) : 255;
            alpha = alpha || a != 0;
            out[x] = qRgba(
                channel(pixel, masks[0]), channel(pixel, masks[1]), channel(pixel, masks[2]), a);
        }
    }
    if (alpha && masks[3])
        return image;
    for (int y = 0; y < image.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            out[x] |= 0xFF000000u;
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage ReaderWorkarounds::finish(QImage image, const QSize& size) const
{
    if (image.isNull())
        return {};
    if (keyChannels > 0) {
        // Compared at 16 bits, before anything rounds the values.
        if (image.format() != QImage::Format_RGBX64 && image.format() != QImage::Format_RGBA64
            && image.format() != QImage::Format_Grayscale16)
            return {};
        image.convertTo(QImage::Format_RGBA64);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgba64*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgba64 p = line[x];
                const bool transparent = keyChannels == 1
                    ? p.red() == key[0]
                    : p.red() == key[0] && p.green() == key[1] && p.blue() == key[2];
                if (transparent)
                    line[x] = QRgba64::fromRgba64(0);
            }
        }
    }
    if (image.depth() == 1) {
        // Qt's smooth scaling of a 1-bit picture gives a black and white one;
        // its plain scaling keeps the palette. A large picture is first
        // brought near the target that way, so that the colour copy stays small.
        const QSize near = size * 2;
        if (image.width() > near.width() || image.height() > near.height())
            image = image.scaled(
                image.size().boundedTo(near), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    image.convertTo(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image.size() == size
        ? image
        : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace zk
