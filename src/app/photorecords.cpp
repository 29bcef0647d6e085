#include "photorecords.h"

#include "model/album.h"
#include "photos/photofile.h"

namespace zk {

PhotoRecords::PhotoRecords(Album& a, QObject* parent) : QObject(parent), album(a)
{
    // Photos entering the album, and the records coming back
    connect(&album, &Album::entriesChanged, this, &PhotoRecords::entries_changed);
    connect(&album, &Album::documentReplaced, this, &PhotoRecords::document_replaced);
    connect(&recorder, &PhotoRecorder::recorded, this, &PhotoRecords::store);
    // A file that cannot be read gets no record; the album check tells.
    connect(&recorder, &PhotoRecorder::failed, this,
        [this](const QString& path) { queued.remove(path); });
}

void PhotoRecords::entries_changed(int first, int last)
{
    // An album opened is not a placement: its photos keep the records saved
    // with it, and one without records does not get them all hashed at once.
    if (opening) {
        opening = false;
        return;
    }
    const EntryTable& entries = album.entries();
    last = qMin(last, entries.entry_count());
    for (int p = qMax(first, 1); p <= last; ++p) {
        const QString& image = entries.entry(p).image;
        if (!image.isEmpty() && !album.document().records.contains(image))
            record_later(image);
    }
}

void PhotoRecords::photo_placed(int position)
{
    if (position < 1 || position > album.entries().entry_count())
        return;
    const QString image = album.entries().entry(position).image;
    const auto known = album.document().records.constFind(image);
    if (image.isEmpty() || known == album.document().records.cend())
        return; // entries_changed has it in hand
    // Placed again after it changed (a photo taken anew under its old name):
    // the record is of the file the user chose now.
    const PhotoFile file(image);
    if (file.error().isEmpty()
        && (file.size() != known->size || file.modified() / 1000000 != known->modified))
        record_later(image);
}

void PhotoRecords::settle()
{
    recorder.finish();
}

void PhotoRecords::document_replaced()
{
    // The records under way belong to the album that was.
    recorder.cancel();
    queued.clear();
    // Album::replace_document announces all entries as changed next.
    opening = true;
}

void PhotoRecords::record_later(const QString& path)
{
    if (queued.contains(path))
        return;
    queued.insert(path);
    recorder.start({ path });
}

void PhotoRecords::store(const QString& path, const PhotoRecord& record)
{
    queued.remove(path);
    album.record_photo(path, record);
}

} // namespace zk
