#pragma once

#include <QHash>
#include <QString>

namespace zk {

// Why a photo will not print.
enum class PhotoFault {
    None,
    Missing, // no file at the path
    Unreadable, // a file, but not one that can be read (rights, size, kind)
    NotPicture, // read, but not a picture the program knows
    CutShort, // a picture whose file ends before the picture does
    Damaged, // a picture with a part its decoder refuses
};

struct PhotoVerdict
{
    PhotoFault fault = PhotoFault::None;
    QString error; // for the user, in Japanese; empty when the photo prints

    bool ok() const { return fault == PhotoFault::None; }
};

// Tells whether a photo file will print without decoding it: the kind of
// picture from its header, then its structure (JPEG markers through the end
// marker, PNG chunks and their CRCs through IEND), as the loader sees them
// before it decodes. Other formats are decoded at a small size; metafiles
// are drawn by the metafile helper, as printing draws them. Verdicts are kept
// for each version of a file (path, size, time, inode), so a second look at
// an unchanged album reads nothing.
class PhotoProbe
{
public:
    PhotoVerdict examine(const QString& path);

private:
    PhotoVerdict look(const QString& path);

    struct Key
    {
        QString path;
        qint64 size = 0;
        qint64 modified = 0;
        quint64 inode = 0;

        friend bool operator==(const Key&, const Key&) = default;
        friend size_t qHash(const Key& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.path, key.size, key.modified, key.inode);
        }
    };
    QHash<Key, PhotoVerdict> verdicts;
};

} // namespace zk
