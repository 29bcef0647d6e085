#include "imagestructure.h"

#include <QtEndian>

#include <array>
#include <cstring>

namespace zk {

namespace {

quint8 byteAt(QByteArrayView data, qsizetype pos)
{
    return quint8(data[pos]);
}

// The position of the next marker's 0xFF at or after pos: fill bytes (0xFF)
// may precede any marker. At most the end of data.
qsizetype nextMarker(QByteArrayView data, qsizetype pos)
{
    const qsizetype end = data.size();
    while (pos < end && byteAt(data, pos) != 0xFF)
        ++pos;
    while (pos + 1 < end && byteAt(data, pos + 1) == 0xFF)
        ++pos;
    return pos;
}

quint16 be16(QByteArrayView data, qsizetype pos)
{
    return quint16(byteAt(data, pos) << 8 | byteAt(data, pos + 1));
}

quint16 le16(QByteArrayView data, qsizetype pos)
{
    return qFromLittleEndian<quint16>(data.data() + pos);
}

quint32 le32(QByteArrayView data, qsizetype pos)
{
    return qFromLittleEndian<quint32>(data.data() + pos);
}

// Coefficient memory of a JPEG decoded as a whole (progressive, or several
// scans): 64 coefficients of 2 bytes for every 8 x 8 block of every component.
qint64 coefficientBytes(QByteArrayView sof)
{
    // sof: precision, height, width, component count, then 3 bytes a component.
    if (sof.size() < 6)
        return 0;
    const qint64 height = be16(sof, 1);
    const qint64 width = be16(sof, 3);
    const int count = byteAt(sof, 5);
    if (sof.size() < 6 + 3 * count)
        return 0;
    int hMax = 1;
    int vMax = 1;
    for (int c = 0; c < count; ++c) {
        hMax = qMax(hMax, byteAt(sof, 7 + 3 * c) >> 4);
        vMax = qMax(vMax, byteAt(sof, 7 + 3 * c) & 15);
    }
    qint64 total = 0;
    for (int c = 0; c < count; ++c) {
        const int h = qMax(1, byteAt(sof, 7 + 3 * c) >> 4);
        const int v = qMax(1, byteAt(sof, 7 + 3 * c) & 15);
        const qint64 columns = ((width * h + hMax - 1) / hMax + 7) / 8;
        const qint64 rows = ((height * v + vMax - 1) / vMax + 7) / 8;
        total += columns * rows * 64 * 2;
    }
    return total;
}

// Moves pos past a scan's entropy-coded data, which ends at the first 0xFF
// that is neither a stuffed 0xFF00 nor a restart marker; false when the data
// ends first.
bool skipScanData(QByteArrayView data, qsizetype* pos)
{
    const qsizetype end = data.size();
    for (;;) {
        const void* hit = std::memchr(data.data() + *pos, 0xFF, size_t(end - *pos));
        if (!hit)
            return false;
        *pos = static_cast<const char*>(hit) - data.data();
        if (*pos + 1 >= end)
            return false;
        const quint8 following = byteAt(data, *pos + 1);
        if (following == 0x00 || (following >= 0xD0 && following <= 0xD7))
            *pos += 2;
        else if (following == 0xFF)
            ++*pos;
        else
            return true;
    }
}

// Follows the markers from SOI to EOI, skipping the entropy-coded data of
// each scan. Data after EOI (some cameras append a video) does not matter.
ImageStructure inspectJpeg(QByteArrayView data)
{
    ImageStructure result;
    qint64 wholeImageBytes = 0;
    bool progressive = false;
    int scans = 0;
    qsizetype pos = 2;
    const qsizetype end = data.size();
    for (;;) {
        pos = nextMarker(data, pos);
        if (pos + 1 >= end) {
            result.truncated = true;
            return result;
        }
        const quint8 marker = byteAt(data, pos + 1);
        if (marker == 0xD9) // EOI
            break;
        if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) { // no length
            pos += 2;
            continue;
        }
        if (pos + 4 > end) {
            result.truncated = true;
            return result;
        }
        const qsizetype length = be16(data, pos + 2);
        const qsizetype next = pos + 2 + length;
        if (length < 2 || next > end) {
            result.truncated = true;
            return result;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC;
        if (frame) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            wholeImageBytes = coefficientBytes(data.sliced(pos + 4, length - 2));
            if (length >= 7) {
                result.height = be16(data, pos + 5);
                result.width = be16(data, pos + 7);
            }
        }
        pos = next;
        if (marker != 0xDA) // SOS: entropy-coded data follows
            continue;
        ++scans;
        if (!skipScanData(data, &pos)) {
            result.truncated = true;
            return result;
        }
    }
    if (progressive || scans > 1)
        result.decoderBytes = wholeImageBytes;
    return result;
}

// The pixel rows of an uncompressed BMP, or the RLE data whose length the
// header gives, must lie inside the file.
ImageStructure inspectBmp(QByteArrayView data)
{
    ImageStructure result;
    if (data.size() < 26) {
        result.truncated = true;
        return result;
    }
    const qint64 offset = le32(data, 10);
    const quint32 headerSize = le32(data, 14);
    qint64 width = 0;
    qint64 height = 0;
    int bitsPerPixel = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
    if (headerSize == 12) {
        width = le16(data, 18);
        height = le16(data, 20);
        bitsPerPixel = le16(data, 24);
    } else if (headerSize >= 40 && data.size() >= 38) {
        width = qint32(le32(data, 18));
        height = qAbs(qint64(qint32(le32(data, 22))));
        bitsPerPixel = le16(data, 28);
        compression = le32(data, 30);
        imageSize = le32(data, 34);
    } else {
        return result; // left to Qt's reader, which refuses what it cannot read
    }
    // Absurd sizes are refused later by the allocation limit.
    constexpr qint64 Sane = 1 << 24;
    if (width <= 0 || width > Sane || height > Sane || bitsPerPixel <= 0 || bitsPerPixel > 64)
        return result;
    qint64 needed = 0;
    if (compression == 0 || compression == 3 || compression == 6) // RGB, BITFIELDS
        needed = offset + height * ((width * bitsPerPixel + 31) / 32 * 4);
    else if (compression == 1 || compression == 2) // RLE8, RLE4
        needed = offset + imageSize;
    result.truncated = needed > data.size();
    return result;
}

qsizetype skipSubBlocks(QByteArrayView data, qsizetype pos)
{
    while (pos < data.size()) {
        const quint8 length = byteAt(data, pos);
        if (length == 0)
            return pos + 1;
        pos += 1 + length;
    }
    return -1;
}

// The album shows the first frame of a GIF, so the file must hold that frame
// to its block terminator; later frames and the trailer do not matter.
ImageStructure inspectGif(QByteArrayView data)
{
    ImageStructure result;
    if (data.size() < 13) {
        result.truncated = true;
        return result;
    }
    qsizetype pos = 13;
    const quint8 screenFlags = byteAt(data, 10);
    if (screenFlags & 0x80)
        pos += 3 * (qsizetype(1) << ((screenFlags & 7) + 1));
    while (pos >= 0 && pos < data.size()) {
        switch (byteAt(data, pos)) {
        case 0x21: // extension: label, then sub-blocks
            pos = skipSubBlocks(data, pos + 2);
            break;
        case 0x2C: { // image: descriptor, colour table, LZW code size, sub-blocks
            if (pos + 10 > data.size()) {
                result.truncated = true;
                return result;
            }
            const quint8 imageFlags = byteAt(data, pos + 9);
            pos += 10;
            if (imageFlags & 0x80)
                pos += 3 * (qsizetype(1) << ((imageFlags & 7) + 1));
            pos = skipSubBlocks(data, pos + 1);
            result.truncated = pos < 0;
            return result;
        }
        default: // trailer before any image, or garbage: Qt's reader decides
            return result;
        }
    }
    result.truncated = true;
    return result;
}

quint32 be32(QByteArrayView data, qsizetype pos)
{
    return quint32(be16(data, pos)) << 16 | be16(data, pos + 2);
}

quint32 crc32(QByteArrayView data)
{
    static const auto table = [] {
        std::array<quint32, 256> t {};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// Every chunk through IEND must lie inside the file. libpng refuses a
// critical chunk (IHDR, PLTE, IDAT, IEND: upper-case first letter) whose CRC
// does not match, and only warns about an ancillary one, which it drops.
ImageStructure inspectPng(QByteArrayView data)
{
    ImageStructure result;
    qsizetype pos = 8;
    for (;;) {
        if (pos + 12 > data.size()) {
            result.truncated = true;
            return result;
        }
        const qint64 length = be32(data, pos);
        if (length > data.size() - pos - 12) {
            result.truncated = true;
            return result;
        }
        const QByteArrayView type = data.sliced(pos + 4, 4);
        const bool critical = !(byteAt(data, pos + 4) & 0x20);
        if (critical && crc32(data.sliced(pos + 4, 4 + length)) != be32(data, pos + 8 + length)) {
            result.damaged = true;
            return result;
        }
        pos += 12 + length;
        if (type == "IEND")
            return result;
    }
}

// Skips the segments before the first scan; the position after the SOS
// segment, or -1 when they run past the end of data.
qsizetype jpegFirstScan(QByteArrayView data)
{
    qsizetype pos = 2;
    const qsizetype end = data.size();
    for (;;) {
        pos = nextMarker(data, pos);
        if (pos + 4 > end)
            return -1;
        const quint8 marker = byteAt(data, pos + 1);
        if (marker == 0xD9)
            return -1;
        if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {
            pos += 2;
            continue;
        }
        const qsizetype next = pos + 2 + be16(data, pos + 2);
        if (be16(data, pos + 2) < 2 || next > end)
            return -1;
        if (marker == 0xDA)
            return next;
        pos = next;
    }
}

// ImageWidth (256) and ImageLength (257) of the first directory, SHORT or LONG.
ImageStructure inspectTiff(QByteArrayView data)
{
    ImageStructure result;
    const bool little = data.startsWith("II");
    const auto u16 = [&](qsizetype pos) {
        return little ? le16(data, pos) : be16(data, pos);
    };
    const auto u32 = [&](qsizetype pos) {
        return little ? le32(data, pos) : quint32(be16(data, pos)) << 16 | be16(data, pos + 2);
    };
    if (data.size() < 8)
        return result;
    const qsizetype ifd = u32(4);
    if (ifd < 8 || ifd + 2 > data.size())
        return result;
    const int count = u16(ifd);
    for (int i = 0; i < count && ifd + 2 + 12 * (i + 1) <= data.size(); ++i) {
        const qsizetype at = ifd + 2 + 12 * i;
        const quint16 tag = u16(at);
        const quint16 type = u16(at + 2);
        const qint64 value = type == 3 ? u16(at + 8) : type == 4 ? u32(at + 8) : 0;
        if (tag == 256)
            result.width = value;
        else if (tag == 257)
            result.height = value;
    }
    return result;
}

} // namespace

bool ImageStructure::jpegHeadersComplete(QByteArrayView head)
{
    return head.startsWith("\xFF\xD8\xFF") && jpegFirstScan(head) > 0;
}

ImageStructure ImageStructure::inspect(QByteArrayView data)
{
    if (data.startsWith("\x89PNG\r\n\x1A\n"))
        return inspectPng(data);
    if (data.startsWith("\xFF\xD8\xFF"))
        return inspectJpeg(data);
    if (data.startsWith("BM"))
        return inspectBmp(data);
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return inspectGif(data);
    if (data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4)))
        return inspectTiff(data);
    return {};
}

} // namespace zk
