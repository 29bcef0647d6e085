#include "deliveredfile.h"

#include "photos/exifdate.h"
#include "photos/imagestructure.h"

#include <QFile>
#include <QFileInfo>

namespace zk {

namespace {

// The kinds of picture file the album may hold, known by their first bytes.
QString formatOf(QByteArrayView head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("JPEG");
    if (head.startsWith(QByteArrayView("II*\0", 4)) || head.startsWith(QByteArrayView("MM\0*", 4)))
        return QStringLiteral("TIFF");
    if (head.startsWith("\x89PNG"))
        return QStringLiteral("PNG");
    if (head.startsWith("BM"))
        return QStringLiteral("BMP");
    if (head.startsWith("GIF8"))
        return QStringLiteral("GIF");
    if (head.startsWith(QByteArrayView("\0\0\1\0", 4)))
        return QStringLiteral("ICO");
    if (head.startsWith("\xD7\xCD\xC6\x9A") || head.startsWith(QByteArrayView("\1\0\x09\0", 4)))
        return QStringLiteral("WMF");
    return QString();
}

// How many bytes from the start hold a JPEG's segments up to and including
// its frame header, as far as head shows; more than head.size() asks for more.
qsizetype jpegHeaderEnd(QByteArrayView head)
{
    qsizetype pos = 2;
    while (pos + 4 <= head.size()) {
        if (quint8(head[pos]) != 0xFF)
            return head.size(); // not a marker: let the readers judge
        const quint8 marker = quint8(head[pos + 1]);
        if (marker == 0xFF) {
            ++pos;
            continue;
        }
        const qsizetype next = pos + 2 + (quint8(head[pos + 2]) << 8 | quint8(head[pos + 3]));
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC;
        if (frame || marker == 0xDA)
            return next;
        pos = next;
    }
    return pos + 4;
}

} // namespace

DeliveredFile DeliveredFile::read(const QString& path)
{
    DeliveredFile facts;
    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        facts.error = QStringLiteral("写真ファイルが見つかりません (%1)").arg(path);
        return facts;
    }
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        facts.error = QStringLiteral("写真ファイルを読めません (%1)").arg(path);
        return facts;
    }
    facts.size = info.size();
    facts.modified = info.lastModified().toMSecsSinceEpoch();
    // A first look of 64 KiB, read further only as far as the segments before
    // the frame header go: a folder of 3,000 photos is checked in seconds.
    QByteArray head = file.read(64 * 1024);
    if (head.startsWith("\xFF\xD8\xFF")) {
        for (;;) {
            const qsizetype wanted = qMin<qsizetype>(jpegHeaderEnd(head), ExifDate::HeadBytes);
            const QByteArray more = wanted > head.size() ? file.read(wanted - head.size()) : QByteArray();
            if (more.isEmpty())
                break;
            head += more;
        }
    } else if (head.size() == 64 * 1024) {
        head += file.read(ExifDate::HeadBytes - head.size());
    }
    if (head.isEmpty() && facts.size > 0) {
        facts.error = QStringLiteral("写真ファイルを読めません (%1)").arg(path);
        return facts;
    }
    facts.format = formatOf(head);
    if (facts.format == QLatin1String("JPEG"))
        facts.extension = QStringLiteral("JPG");
    else if (facts.format == QLatin1String("TIFF"))
        facts.extension = QStringLiteral("TIF");
    if (!facts.deliverable())
        return facts;
    facts.exifTime = ExifDate::read(head);
    const ImageStructure structure = ImageStructure::inspect(head);
    facts.width = structure.width;
    facts.height = structure.height;
    return facts;
}

} // namespace zk
