#pragma once

#include "model/document.h"

#include <QByteArray>
#include <QString>

namespace zk {

// What reading the information file beside an album found.
struct InfoReadResult
{
    enum class Outcome {
        Missing, // no file: the album simply has no information yet
        Read,
        Damaged, // unreadable or not ours: the album opens without it
        Newer, // written by a later program: left untouched
    };
    Outcome outcome = Outcome::Missing;
    // Entries whose photo no longer matched and were set aside now.
    int setAside = 0;
    // For the user, in Japanese; empty when there is nothing to tell.
    QString message;
};

// The photos' information, their records and the information set aside live
// in a UTF-8 JSON file beside the album (X.zkr → X.zkinfo), so that the album
// file keeps its bytes. Version 2, kept small because it is written with
// every save of albums of tens of thousands of photos:
// {"format": "zelkora-photo-info", "version": 2, "strings": ["", "工事", ...],
//  "entries": [[position, folder, name, [items], size, modified, "sha256"], ...],
//  "setAside": [...], "check": "16 hex digits"}
// where a text is a string or the number of one in "strings", and the check
// is the FNV-1a hash of all before it. Version 1
// files ({"position", "image", "info", "record"} objects) are still read.
class InfoFile
{
public:
    static constexpr int Version = 2;
    // Larger files are refused before they are read.
    static constexpr qint64 MaxSize = 256 * 1024 * 1024;

    // The information file of the album at albumPath.
    static QString path_for(const QString& albumPath);

    // The file's bytes; empty when the document has nothing to keep (no
    // information, no record of a photo it uses, nothing set aside).
    static QByteArray encode(const Document& document);

    // Reads the file beside albumPath into the document just read from it:
    // entries are matched by position and confirmed by photo path; what no
    // longer matches goes to document->setAside. A missing, damaged or newer
    // file leaves the document as it was.
    static InfoReadResult read(const QString& albumPath, Document* document);
    // The same for the file's bytes.
    static InfoReadResult decode(const QByteArray& bytes, Document* document);

    // One entry as the file holds it, its photo's path in two parts: the
    // folder (shared by many entries) and the rest.
    struct Row
    {
        int position = 0;
        QString folder;
        QString name;
        PhotoInfo info;
        PhotoRecord record;

        bool isOf(const QString& image) const;
    };

    // The file read and looked through but not yet matched to an album:
    // read() in two steps, so that the first can run on another thread
    // while the album file itself is read.
    struct Content
    {
        InfoReadResult::Outcome outcome = InfoReadResult::Outcome::Missing;
        QString why; // what was found, on Damaged and Newer
        QList<Row> entries;
        QList<Row> setAside;
    };
    static Content load(const QString& albumPath);
    static InfoReadResult apply(Content content, const QString& albumPath, Document* document);

    // The new bytes and what stands at the file's place now: write() in two
    // steps, so that the first (which only reads) can run on another thread
    // while the album file itself is written.
    struct Prepared
    {
        QByteArray bytes; // empty when there is nothing to keep
        bool exists = false; // a file or link is there
        bool regular = false; // it is a regular file
        bool ours = false; // it could be read: it may be replaced
    };
    static Prepared prepare(const QString& albumPath, const Document& document);
    static QString commit(const QString& albumPath, const Prepared& prepared);

    // Writes the file beside albumPath after the album itself was written.
    // Empty on success, else the message for the user. A document with
    // nothing to keep removes a file left from before, so that deleted
    // information does not come back. A file that could not be read (damaged,
    // or from a later program) is first kept as X.zkinfo.bak.
    static QString write(const QString& albumPath, const Document& document);
};

} // namespace zk
