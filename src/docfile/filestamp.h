#pragma once

#include <QByteArray>
#include <QString>

namespace zk {

// What a file on disk was at one moment: enough to tell, before a save,
// whether someone else has written it since the album was opened or saved.
struct FileStamp
{
    qint64 size = -1; // -1: the file did not exist or could not be read
    qint64 modified = 0; // ms since the epoch
    QByteArray sha256;

    bool operator==(const FileStamp&) const = default;

    // The file's size, time and a hash of its bytes (albums are small).
    static FileStamp of(const QString& path);
};

} // namespace zk
