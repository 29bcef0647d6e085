#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zk {

// What a photo file was when it was placed: the integrity record that later
// tells whether the file changed since (size, modification time, SHA-256).
struct PhotoRecord
{
    qint64 size = -1;
    qint64 modified = 0; // ms since the epoch, UTC
    QByteArray sha256; // 64 lower-case hex digits; empty while not yet computed

    bool isValid() const { return size >= 0; }
    bool operator==(const PhotoRecord&) const = default;
};

} // namespace zk
