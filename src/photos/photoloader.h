#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace zk {

// A decoded photo, or why there is none.
struct Picture
{
    QImage image; // null for an empty path and on failure
    QString error; // for the user, in Japanese; empty unless loading failed

    bool ok() const { return error.isEmpty(); }
};

// Turns image files into pictures of the size they are shown or printed at.
class PhotoLoader
{
public:
    static constexpr qint64 DefaultCacheBytes = 64 * 1024 * 1024;

    explicit PhotoLoader(qint64 cacheBytes = DefaultCacheBytes);

    // The picture in path, turned upright as its EXIF orientation says and
    // decoded at exactly size device pixels (the album stretches its photos,
    // so the aspect ratio is not kept). An empty path gives an empty picture
    // without error.
    Picture load(const QString& path, const QSize& size);

private:
    qint64 cacheBytes;
};

} // namespace zk
