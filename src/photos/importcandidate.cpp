#include "importcandidate.h"

#include "docfile/cp932codec.h"
#include "photos/exifdate.h"
#include "photos/photofacts.h"
#include "photos/naturalorder.h"
#include "photos/photofile.h"
#include "photos/photoprobe.h"
#include "photos/wmfrenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace zk {

namespace {

// What the photo file dialog offers, and what the loader reads besides.
const char* const pictureSuffixes[]
    = { "bmp", "gif", "ico", "jpg", "jpeg", "wmf", "png", "tif", "tiff", "webp" };

bool hasPictureSuffix(const QString& name)
{
    const QString suffix = QFileInfo(name).suffix().toLower();
    return std::any_of(std::begin(pictureSuffixes), std::end(pictureSuffixes),
        [&suffix](const char* s) { return suffix == QLatin1String(s); });
}

// True when Qt's readers know the picture and its size from these bytes.
bool knownPicture(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.canRead() && reader.size().isValid();
}

} // namespace

QString ImportCandidate::fileName() const
{
    return QFileInfo(path).fileName();
}

ImportCandidate ImportCandidate::inspect(const QString& path)
{
    ImportCandidate candidate;
    candidate.path = path;

    // An album file holds its paths in Shift-JIS: a path it cannot hold
    // could be placed but never saved.
    QByteArray encoded;
    if (Cp932Codec::instance().encode(path, encoded) >= 0) {
        candidate.problem
            = QStringLiteral("ファイルの場所に Shift-JIS で保存できない文字があります.");
        return candidate;
    }

    PhotoFile file(path);
    QByteArray head = file.readHead(ExifDate::HeadBytes);
    if (!file.error().isEmpty()) {
        candidate.problem = file.error();
        return candidate;
    }
    // The size of a JPEG stands after its EXIF, thumbnail and colour profile
    // segments; should they fill the whole head, read the file to tell.
    if (!WmfRenderer::isMetafile(head) && !knownPicture(head)) {
        if (file.size() > head.size())
            head = file.read();
        if (!file.error().isEmpty()) {
            candidate.problem = file.error();
            return candidate;
        }
        if (!knownPicture(head)) {
            candidate.problem
                = QStringLiteral("写真ファイルではないか、読めない形式のファイルです.");
            return candidate;
        }
    }

    // A photo cut short or damaged would stop the print later.
    const PhotoVerdict verdict = PhotoProbe().examine(path);
    if (!verdict.ok()) {
        candidate.problem = verdict.error;
        return candidate;
    }

    candidate.facts = PhotoFacts::read(path, head);
    candidate.time = candidate.facts.shotTime;
    if (candidate.time.isValid()) {
        candidate.timeSource = TimeSource::Exif;
    } else {
        candidate.time = QDateTime::fromMSecsSinceEpoch(file.modified() / 1000000);
        candidate.timeSource = TimeSource::FileTime;
    }
    return candidate;
}

QStringList ImportCandidate::pictures_in_folder(const QString& folder)
{
    QStringList result;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        if (hasPictureSuffix(info.fileName()))
            result << info.absoluteFilePath();
    }
    std::sort(result.begin(), result.end(),
        [](const QString& a, const QString& b) { return natural_less(a, b); });
    return result;
}

QStringList ImportCandidate::expand_folders(const QStringList& paths)
{
    QStringList result;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir())
            result << pictures_in_folder(path);
        else
            // Albums keep full paths: a relative one would mean another file
            // once the album is opened from elsewhere.
            result << QFileInfo(path).absoluteFilePath();
    }
    return result;
}

} // namespace zk
