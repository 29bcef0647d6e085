#include "photofacts.h"

#include "model/entrycontent.h"

#include "photos/blackboardxmp.h"
#include "photos/exifdate.h"
#include "photos/jpegsegments.h"
#include "photos/photofile.h"

namespace zk {

namespace {

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
            return walk_jpeg_segments(header, nullptr) == JpegWalk::NeedMore && header.size() < MaxHeaderBytes;
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
    if (head.size() >= ExifDate::HeadBytes && walk_jpeg_segments(head, nullptr) == JpegWalk::NeedMore)
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
    walk_jpeg_segments(header, [&](quint8 marker, QByteArrayView body) {
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
