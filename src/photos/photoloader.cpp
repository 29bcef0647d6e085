#include "photoloader.h"

#include "imagestructure.h"
#include "photofile.h"
#include "readerworkarounds.h"
#include "wmfrenderer.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace zk {

namespace {

// Working memory a decoder may take besides the image: enough for a
// progressive 150-megapixel photo, far below what a forged header can ask.
constexpr qint64 MaxDecoderBytes = 512 * 1024 * 1024;

// Pictures are decoded whole (except JPEG) before they are scaled, so the
// decoded image is bounded too: up to 100 megapixels, and at most what Qt's
// readers are allowed (a 48-megapixel BMP takes 192 MB as 32 bits a pixel,
// above Qt's default limit of 128 MB).
constexpr qint64 MaxSourcePixels = 100'000'000;
constexpr int DecodeLimitMegabytes = 512;

Picture failure(const QString& message)
{
    return { QImage(), message };
}

// The limit Qt's readers put on one image, which also bounds what is asked of them.
qint64 allocationLimitBytes()
{
    const int megabytes = QImageReader::allocationLimit();
    return megabytes > 0 ? qint64(megabytes) * 1024 * 1024 : std::numeric_limits<qint64>::max();
}

qint64 imageBytes(const QSize& size, int bitsPerPixel)
{
    return (qint64(size.width()) * bitsPerPixel + 31) / 32 * 4 * size.height();
}

// The image Qt's reader allocates: the whole picture, except for JPEG, which
// libjpeg decodes at 1/2, 1/4 or 1/8 scale when that still covers target.
qint64 decodedBytes(const QSize& source, const QSize& target, bool jpeg, QImage::Format format)
{
    int denominator = 1;
    while (jpeg && denominator < 8 && source.width() / (denominator * 2) >= target.width()
        && source.height() / (denominator * 2) >= target.height())
        denominator *= 2;
    const QSize decoded((source.width() + denominator - 1) / denominator,
        (source.height() + denominator - 1) / denominator);
    const int bits = QImage::toPixelFormat(format).bitsPerPixel();
    return imageBytes(decoded, bits > 0 ? bits : 32);
}

// libjpeg decodes at 1/2, 1/4 or 1/8 scale for little more than the cost of
// its entropy decoding, and Qt takes the smallest of those scales that covers
// the target. One that falls short by at most 4 per cent is taken instead:
// so slight an enlargement does not show, and the decode takes a fifth less
// time (a 4032 x 3024 phone photo decodes at 504 x 378 for a 514 x 338 slot,
// rather than at 1008 x 756 and then shrunk).
// Gives the size to decode at, or an invalid size where Qt's choice stands.
QSize nearlyLargeEnough(const QSize& source, const QSize& target)
{
    for (int denominator = 8; denominator > 1; denominator /= 2) {
        const QSize reduced((source.width() + denominator - 1) / denominator,
            (source.height() + denominator - 1) / denominator);
        if (reduced.width() >= target.width() && reduced.height() >= target.height())
            return {};
        if (reduced.width() * 104 >= target.width() * 100
            && reduced.height() * 104 >= target.height() * 100)
            return reduced;
    }
    return {};
}

// The largest size inside box with the proportions of source.
QSize fitted(const QSize& source, const QSize& box)
{
    if (!source.isValid() || source.isEmpty())
        return box;
    const QSize s = source.scaled(box, Qt::KeepAspectRatio);
    return QSize(std::max(1, s.width()), std::max(1, s.height()));
}

// Every format Qt reads: BMP, GIF, ICO, JPEG, PNG and, with the image format
// plugins, TIFF and WebP among others. Told by content, never by file name.

Picture decodeWithQt(const QByteArray& data, QSize size, PhotoFit fit)
{
    const ReaderWorkarounds workarounds(data);
    QBuffer buffer;
    buffer.setData(workarounds.readerData());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!reader.canRead() || workarounds.unreadable())
        return failure(QStringLiteral("写真ファイルではないか、読めない形式のファイルです."));

    // Qt scales before it turns the picture upright, so a picture that is
    // turned by a quarter is asked for with width and height swapped.
    const bool quarterTurn = reader.transformation() & QImageIOHandler::TransformationRotate90;
    QSize source = reader.size();
    // Qt draws every GIF frame onto a canvas of the logical screen's size,
    // which the header may make far larger than any frame.
    if (data.startsWith("GIF8") && data.size() >= 10) {
        const QSize screen(qFromLittleEndian<quint16>(data.constData() + 6),
            qFromLittleEndian<quint16>(data.constData() + 8));
        source = source.isValid() ? source.expandedTo(screen) : screen;
    }
    if (fit == PhotoFit::KeepShape && source.isValid())
        size = fitted(quarterTurn ? source.transposed() : source, size);
    const QSize decodeSize = quarterTurn ? size.transposed() : size;

    const ImageStructure structure = ImageStructure::inspect(data);
    const bool jpeg = data.startsWith("\xFF\xD8\xFF");
    if (source.isValid()
        && (qint64(source.width()) * source.height() > MaxSourcePixels
            || decodedBytes(source, decodeSize, jpeg, reader.imageFormat()) > allocationLimitBytes()
            || structure.decoderBytes > MaxDecoderBytes))
        return failure(QStringLiteral("写真の画素数が多すぎるため読み込めません (%1 × %2).")
                           .arg(source.width())
                           .arg(source.height()));
    // libpng refuses a PNG cut short or damaged by itself, with its own words.
    if (structure.truncated && !data.startsWith("\x89PNG"))
        return failure(QStringLiteral(
            "写真ファイルが途中で切れています (コピーが終わっていないか、壊れています)."));

    if (workarounds.decodesHere() || workarounds.readsFullSize(reader.imageFormat())) {
        const QImage image = workarounds.finish(
            workarounds.decodesHere() ? workarounds.decode() : reader.read(), size);
        if (image.isNull())
            return failure(QStringLiteral("写真ファイルが壊れているため読み込めません."));
        return { image, {} };
    }

    const QSize reduced
        = jpeg && source.isValid() ? nearlyLargeEnough(source, decodeSize) : QSize();
    reader.setScaledSize(reduced.isValid() ? reduced : decodeSize);
    QImage image = reader.read();
    if (image.isNull())
        return failure(QStringLiteral("写真ファイルが壊れているため読み込めません."));
    if (reduced.isValid())
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return { image, {} };
}

} // namespace

PhotoLoader::PhotoLoader(qint64 cacheBytes)
{
    // Qt's limit is one for the whole process; it is only ever raised to ours.
    const int limit = QImageReader::allocationLimit();
    if (limit > 0 && limit < DecodeLimitMegabytes)
        QImageReader::setAllocationLimit(DecodeLimitMegabytes);
    cache.setMaxCost(qMax<qint64>(cacheBytes, 0));
}

int PhotoLoader::decodeCount() const
{
    const QMutexLocker locker(&lock);
    return decodes;
}

qint64 PhotoLoader::cachedBytes() const
{
    const QMutexLocker locker(&lock);
    return cache.totalCost();
}

std::optional<Picture> PhotoLoader::cached(const QString& path, const QSize& size, PhotoFit fit)
{
    if (path.isEmpty())
        return Picture();
    if (size.width() <= 0 || size.height() <= 0)
        return failure(QStringLiteral("写真を表示する大きさが正しくありません."));
    if (imageBytes(size, 32) > allocationLimitBytes())
        return failure(QStringLiteral("写真を表示する大きさが大きすぎます."));
    const PhotoFile file(path);
    if (!file.error().isEmpty())
        return failure(file.error());
    const Key key { path, file.size(), file.modified(), file.device(), file.inode(), size,
        fit == PhotoFit::KeepShape };
    const QMutexLocker locker(&lock);
    if (const QImage* image = cache.object(key))
        return Picture { *image, {} };
    return std::nullopt;
}

Picture PhotoLoader::load(const QString& path, const QSize& size, PhotoFit fit)
{
    if (std::optional<Picture> known = cached(path, size, fit))
        return *known;

    PhotoFile file(path);
    if (!file.error().isEmpty())
        return failure(file.error());
    const bool keepShape = fit == PhotoFit::KeepShape;
    const Key wanted { path, file.size(), file.modified(), file.device(), file.inode(), size,
        keepShape };
    {
        // A photo another thread is decoding (the page on screen and a
        // prefetch may ask for it at once) is waited for, not decoded twice.
        // Looked up again under the lock: it may have been decoded meanwhile.
        QMutexLocker locker(&lock);
        for (;;) {
            if (const QImage* image = cache.object(wanted))
                return { *image, {} };
            if (!underway.contains(wanted))
                break;
            finished.wait(&lock);
        }
        underway.insert(wanted);
    }

    const QByteArray data = file.read();
    Picture picture;
    if (!file.error().isEmpty()) {
        picture = failure(file.error());
    } else {
        {
            const QMutexLocker locker(&lock);
            ++decodes;
        }
        // A metafile has no pixel size of its own and is drawn to fill its box.
        picture = WmfRenderer::isMetafile(data) ? WmfRenderer::render(data, size)
                                                : decodeWithQt(data, size, fit);
    }
    const QMutexLocker locker(&lock);
    underway.remove(wanted);
    if (picture.ok()) {
        // Keyed by what was read, which may be newer than the first look.
        const Key key { path, file.size(), file.modified(), file.device(), file.inode(), size,
            keepShape };
        cache.insert(key, new QImage(picture.image), picture.image.sizeInBytes());
    }
    finished.wakeAll();
    return picture;
}

} // namespace zk
