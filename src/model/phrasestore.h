#pragma once

#include <QString>
#include <QStringList>

namespace zk {

// The phrases (定型文) a user inserts into titles and texts, and where their
// list is read from: what was read and, when it could not be, why.
struct PhraseList
{
    QStringList phrases;
    QString message; // for the user, in Japanese; empty on success

    bool ok() const { return message.isEmpty(); }
};

// The user's phrase list holds each phrase once, without empty lines;
// characters that Shift-JIS cannot hold are accepted here (saving an album
// refuses them). Its file is read and written by PhraseFile.
class PhraseStore
{
public:
    // One line each, blanks around them trimmed, empty ones and repeats left out.
    static QStringList cleaned(const QStringList& phrases);
};

} // namespace zk
