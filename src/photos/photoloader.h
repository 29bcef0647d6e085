#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QSet>
#include <QSize>
#include <QString>
#include <QWaitCondition>

#include <optional>

namespace zk {

// A decoded photo, or why there is none.
struct Picture
{
    QImage image; // null for an empty path and on failure
    QString error; // for the user, in Japanese; empty unless loading failed

    bool ok() const { return error.isEmpty(); }
};

// How a photo fills the box it is decoded for.
enum class PhotoFit {
    Stretch, // exactly the box: the album's own way, proportions not kept
    KeepShape, // the largest size inside the box with the photo's own proportions
};

// Turns image files into pictures of the size they are shown or printed at.
// One loader may be used from several threads at once: its cache is locked,
// the decoding itself runs outside the lock.
class PhotoLoader
{
public:
    static constexpr qint64 DefaultCacheBytes = 64 * 1024 * 1024;

    explicit PhotoLoader(qint64 cacheBytes = DefaultCacheBytes);

    // The picture in path, turned upright as its EXIF orientation says and
    // decoded at exactly size device pixels (the album stretches its photos,
    // so the aspect ratio is not kept), or with KeepShape inside size with
    // its own proportions. An empty path gives an empty picture without error.
    Picture load(const QString& path, const QSize& size, PhotoFit fit = PhotoFit::Stretch);
    // What load() would give without decoding anything: the cached picture,
    // or the empty picture or the error that needs no decoding; nothing
    // when the photo has to be decoded.
    std::optional<Picture> cached(
        const QString& path, const QSize& size, PhotoFit fit = PhotoFit::Stretch);

    // Files read and decoded so far; a picture served from the cache adds nothing.
    int decodeCount() const;
    // Bytes of decoded pictures the cache holds now.
    qint64 cachedBytes() const;

private:
    // One version of one file at one size: a file changed on disk since it
    // was cached differs in size, modification time or inode.
    struct Key
    {
        QString path;
        qint64 fileSize = 0;
        qint64 modified = 0;
        quint64 device = 0;
        quint64 inode = 0;
        QSize size;
        bool keepShape = false;

        friend bool operator==(const Key&, const Key&) = default;
        friend size_t qHash(const Key& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.path, key.fileSize, key.modified, key.inode,
                key.size.width(), key.size.height(), key.keepShape);
        }
    };

    mutable QMutex lock; // guards cache, underway and decodes
    QCache<Key, QImage> cache; // cost in bytes, least recently used dropped first
    // Photos being decoded now; finished is told whenever one ends.
    QSet<Key> underway;
    QWaitCondition finished;
    int decodes = 0;
};

} // namespace zk
