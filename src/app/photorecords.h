#pragma once

#include "photos/photorecorder.h"

#include <QObject>
#include <QSet>
#include <QString>

namespace zk {

class Album;

// Keeps the album's integrity records: every photo that enters an entry
// without a record gets one, taken off the window's thread and stored with
// Album::record_photo. A photo placed again by the user is recorded anew
// when its file changed since its record.
class PhotoRecords : public QObject
{
    Q_OBJECT

public:
    explicit PhotoRecords(Album& album, QObject* parent = nullptr);

    // The user placed the photo at position (photo dialog, drop).
    void photo_placed(int position);
    // Blocks until every record under way is stored: a save calls it first,
    // so that the companion file never silently lacks a placed photo's record.
    void settle();
    int pending() const { return recorder.pending(); }

private:
    void entries_changed(int first, int last);
    void document_replaced();
    void record_later(const QString& path);
    void store(const QString& path, const PhotoRecord& record);

    Album& album;
    PhotoRecorder recorder;
    QSet<QString> queued;
    bool opening = false;
};

} // namespace zk
