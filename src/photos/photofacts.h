#pragma once

#include "model/photoinfo.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace zk {

struct EntryContent;

// What a photo file tells about itself, read from its header alone: the
// electronic blackboard's data (XMP), the EXIF shooting time and whether it
// carries tamper-detection data (an APP5 segment starting "DCPMI").
struct PhotoFacts
{
    // Headers longer than this are not read further: the segments before
    // the picture are at most 64 KiB each and cameras write a handful.
    static constexpr qint64 MaxHeaderBytes = 4 * 1024 * 1024;

    PhotoInfo info; // the board's items; empty where the board had none
    QString title;
    QString project; // ConstructionName
    QString company; // Contructor, as the cameras spell it
    QDateTime shotTime; // EXIF DateTimeOriginal, camera clock, no time zone
    bool hasBoard = false; // a blackboard XMP packet was found and read
    bool tamperData = false;
    QString error; // why the file could not be read; empty when it could

    // Reads the facts of the file at path, never more than its header.
    static PhotoFacts read(const QString& path);
    // The same from the head of the file already read (up to
    // ExifDate::HeadBytes), reading the file again only when its header
    // goes on past that head.
    static PhotoFacts read(const QString& path, QByteArrayView head);
    // The same from the first bytes of a file (a JPEG up to its picture
    // data, or the head of a TIFF).
    static PhotoFacts from_header(QByteArrayView header);

    // The board's 工種/種別/細別, 撮影箇所 and measurements as an entry text
    // (lines CR LF); empty when the board gave none of them.
    QString board_text() const;

    // Fills what is empty in an entry from the board: its information items
    // and its title, with boardText also its text (board_text()). Nothing
    // given is overwritten. Returns whether anything changed.
    bool fill(EntryContent* content, bool boardText = false) const;
};

} // namespace zk
