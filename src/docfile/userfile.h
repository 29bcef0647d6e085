#pragma once

#include <QByteArray>
#include <QString>

namespace zk {

// A small file the user keeps (the phrases, the master list of work types),
// read whole: its bytes, or why not, as "path\n\nsentence" for a message.
struct UserFileRead
{
    QByteArray bytes;
    QString message; // empty when the bytes were read
    bool missing = false; // the file does not exist, and that is fine

    bool ok() const { return message.isEmpty(); }
};

// At most maxBytes; a missing file is an error unless missingIsEmpty.
UserFileRead read_user_file(const QString& path, qint64 maxBytes, bool missingIsEmpty);

} // namespace zk
