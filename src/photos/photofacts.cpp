#include "photofacts.h"

#include "model/entrycontent.h"

#include "photos/blackboardxmp.h"
#include "photos/exifdate.h"
#include "photos/photofile.h"

#include <functional>

namespace zk {

namespace {

enum class Walk { Complete, NeedMore, Malformed };

using SegmentVisitor = std::function<void(quint8 marker, QByteArrayView body)>;

// Walks a JPEG's segments up to its first scan, handing each complete one
// to visit. Complete when the scan (or the end of the image) was reached,
// NeedMore when the bytes end inside the header.
Walk walkJpeg(QByteArrayView data, const SegmentVisitor& visit)
{
    if (data.size() < 2)
        return Walk::NeedMore;
    if (!data.startsWith("\xFF\xD8"))
        return Walk::Malformed;
    qsizetype pos = 2;
    for (;;) {
        if (pos + 2 > data.size())
            return Walk::NeedMore;
        if (quint8(data[pos]) != 0xFF)
            return Walk::Malformed;
        const quint8 marker = quint8(data[pos + 1]);
        if (marker == 0xFF) {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return Walk::Complete;
        // Markers without a length: TEM and the restart markers.
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        if (pos + 4 > data.size())
            return Walk::NeedMore;
        const int length = quint8(data[pos + 2]) << 8 | quint8(data[pos + 3]);
        if (length < 2)
            return Walk::Malformed;
        if (pos + 2 + length > data.size())
            return Walk::NeedMore;
        if (visit)
            visit(marker, data.sliced(pos + 4, length - 2));
        pos += 2 + length;
    }
}

const QByteArrayView ExifId("Exif\0\0", 6);
const QByteArrayView XmpId("http://ns.adobe.com/xap/1.0/\0", 29);

QString joined(const QStringList& parts, QChar separator)
{
    QStringList given;
    for (const QString& p : parts) {
        if (!p.isEmpty())
            given.append(p);
    }
    return given.join(separator);
}

} // namespace

PhotoFacts PhotoFacts::read(const QString& path)
{
    PhotoFacts facts;
    PhotoFile file(path);
    QByteArray header;
    // The header is read piece by piece and no further than the picture
    // data: placing hundreds of photos must not read them whole.
    const bool read = file.readInChunks(16 * 1024, [&header](QByteArrayView chunk) {
        header.append(chunk);
        if (header.size() < 2)
            return true;
        if (header.startsWith("\xFF\xD8"))
            return walkJpeg(header, nullptr) == Walk::NeedMore && header.size() < MaxHeaderBytes;
        // A TIFF keeps its EXIF near the start; other pictures hold none.
        return (header.startsWith("II") || header.startsWith("MM"))
            && header.size() < ExifDate::HeadBytes;
    });
    if (!read) {
        facts.error = file.error();
        return facts;
    }
    return from_header(header);
}

PhotoFacts PhotoFacts::read(const QString& path, QByteArrayView head)
{
    if (head.size() >= ExifDate::HeadBytes && walkJpeg(head, nullptr) == Walk::NeedMore)
        return read(path);
    return from_header(head);
}

PhotoFacts PhotoFacts::from_header(QByteArrayView header)
{
    PhotoFacts facts;
    if (!header.startsWith("\xFF\xD8")) {
        facts.shotTime = ExifDate::read(header);
        return facts;
    }
    bool exifSeen = false;
    bool xmpSeen = false;
    walkJpeg(header, [&](quint8 marker, QByteArrayView body) {
        if (marker == 0xE1 && !exifSeen && body.startsWith(ExifId)) {
            exifSeen = true;
            facts.shotTime = ExifDate::fromTiff(body.sliced(ExifId.size()));
        } else if (marker == 0xE1 && !xmpSeen && body.startsWith(XmpId)) {
            // The first packet that holds a board counts; a later one (an
            // editor's copy) does not overwrite it.
            xmpSeen = BlackboardXmp::read(body.sliced(XmpId.size()), &facts);
        } else if (marker == 0xE5 && body.startsWith("DCPMI")) {
            facts.tamperData = true;
        }
    });
    return facts;
}

QString PhotoFacts::board_text() const
{
    QStringList lines;
    lines.append(joined({ info.workType, info.kind, info.detail }, QChar(0x3000)));
    if (!info.spot.isEmpty())
        lines.append(QStringLiteral("撮影箇所　") + info.spot);
    lines.append(info.controlValue);
    return joined(lines, QLatin1Char('\n')).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

bool PhotoFacts::fill(EntryContent* content, bool boardText) const
{
    if (!hasBoard)
        return false;
    bool changed = content->info.fill_from(info);
    if (content->title.isEmpty() && !title.isEmpty()) {
        content->title = title;
        changed = true;
    }
    if (boardText && content->text.isEmpty()) {
        content->text = board_text();
        changed = changed || !content->text.isEmpty();
    }
    return changed;
}

} // namespace zk
