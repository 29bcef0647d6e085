#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace zk {

// An image file named by a document, looked at with stat() before it is
// opened: documents come from other people, so a path may name a FIFO, a
// device or a directory, and opening those could block or never end.
class PhotoFile
{
public:
    // Larger files are refused unread; no photo the album shows is this big.
    static constexpr qint64 MaxBytes = 256 * 1024 * 1024;

    explicit PhotoFile(const QString& path);

    // Why the file cannot be read, in Japanese; empty while it can.
    const QString& error() const { return problem; }

    // What tells one version of the file from another.
    qint64 size() const { return bytes; }
    qint64 modified() const { return modifiedNs; } // nanoseconds since the epoch
    quint64 device() const { return deviceId; }
    quint64 inode() const { return inodeId; }

    // The whole content, or an empty array with error() set. The file is
    // checked again once it is open, since it may have been swapped for
    // something else after the first look.
    QByteArray read();
    // At most the first `limit` bytes, with the same checks as read(): enough
    // to tell the kind of picture and its EXIF data without reading it all.
    QByteArray readHead(qint64 limit);
    // At most the last `count` bytes, with the same checks: enough to see
    // whether a JPEG ends with its end marker.
    QByteArray readTail(qint64 count);

    // Hands the content to `take` in pieces of at most `chunk` bytes, from
    // the start, until the end or until `take` returns false. False with
    // error() set when the file cannot be read; the same checks as read().
    bool readInChunks(qint64 chunk, const std::function<bool(QByteArrayView)>& take);

private:
    // The open file, checked again by fstat(); -1 with problem set.
    int openChecked();
    // limit < 0: the whole file.
    QByteArray readUpTo(qint64 limit);

    QByteArray nativePath;
    QString problem;
    qint64 bytes = 0;
    qint64 modifiedNs = 0;
    quint64 deviceId = 0;
    quint64 inodeId = 0;
};

} // namespace zk
