#include "photoprobe.h"

#include "imagestructure.h"
#include "photofile.h"
#include "photoloader.h"
#include "readerworkarounds.h"
#include "wmfrenderer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

namespace zk {

namespace {

// Enough for the segments before a camera JPEG's first scan (EXIF with its
// thumbnail, colour profile) in almost every file; others are read whole.
constexpr qint64 HeadBytes = 256 * 1024;
// The size the loader is asked for when a picture is decoded to be sure.
const QSize TrialSize(32, 24);
// A cache that cannot grow without end while an album is edited for days.
constexpr qsizetype MaxVerdicts = 100'000;

PhotoVerdict verdict(PhotoFault fault, const QString& error)
{
    return { fault, error };
}

QString cutShort()
{
    return QStringLiteral(
        "写真ファイルが途中で切れています (コピーが終わっていないか、壊れています).");
}

QString notPicture()
{
    return QStringLiteral("写真ファイルではないか、読めない形式のファイルです.");
}

// Formats whose structure is walked here; others are decoded to be sure.
bool walked(const QByteArray& data)
{
    return data.startsWith("\xFF\xD8\xFF") || data.startsWith("\x89PNG\r\n\x1A\n")
        || data.startsWith("BM") || data.startsWith("GIF8");
}

} // namespace

PhotoVerdict PhotoProbe::examine(const QString& path)
{
    PhotoFile file(path);
    if (!file.error().isEmpty())
        return look(path);
    const Key key { path, file.size(), file.modified(), file.inode() };
    const auto known = verdicts.constFind(key);
    if (known != verdicts.cend())
        return *known;
    const PhotoVerdict found = look(path);
    // Rights can change without the file changing: asked again next time.
    if (found.fault == PhotoFault::Unreadable)
        return found;
    if (verdicts.size() >= MaxVerdicts)
        verdicts.clear();
    verdicts.insert(key, found);
    return found;
}

PhotoVerdict PhotoProbe::look(const QString& path)
{
    PhotoFile file(path);
    if (!file.error().isEmpty())
        return verdict(QFileInfo::exists(path) ? PhotoFault::Unreadable : PhotoFault::Missing,
            file.error());
    QByteArray data = file.readHead(HeadBytes);
    if (!file.error().isEmpty())
        return verdict(PhotoFault::Unreadable, file.error());

    // A JPEG whose headers are all in the head and whose last bytes are the
    // end marker is whole; the scan data between need not be read.
    bool whole = data.size() >= file.size();
    if (!whole && ImageStructure::jpegHeadersComplete(data) && file.readTail(2) == "\xFF\xD9") {
        // Still a picture Qt knows, told from the head alone.
    } else if (!whole) {
        data = file.read();
        if (!file.error().isEmpty())
            return verdict(PhotoFault::Unreadable, file.error());
        whole = true;
    }

    if (WmfRenderer::isMetafile(data)) {
        const Picture drawn = WmfRenderer::render(data, TrialSize);
        return drawn.ok() ? PhotoVerdict {} : verdict(PhotoFault::Damaged, drawn.error);
    }
    const ReaderWorkarounds workarounds(data);
    QBuffer buffer;
    buffer.setData(workarounds.readerData());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead() || workarounds.unreadable())
        return verdict(PhotoFault::NotPicture, notPicture());
    if (!whole)
        return {};
    const ImageStructure structure = ImageStructure::inspect(data);
    if (structure.truncated)
        return verdict(PhotoFault::CutShort, cutShort());
    if (structure.damaged)
        return verdict(
            PhotoFault::Damaged, QStringLiteral("写真ファイルが壊れているため読み込めません."));
    if (walked(data))
        return {};
    // TIFF, WebP and the like: decoded small, as cheaply as they allow.
    reader.setScaledSize(TrialSize);
    if (reader.read().isNull())
        return verdict(
            PhotoFault::Damaged, QStringLiteral("写真ファイルが壊れているため読み込めません."));
    return {};
}

} // namespace zk
