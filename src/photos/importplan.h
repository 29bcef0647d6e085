#pragma once

#include "model/entrycontent.h"
#include "photos/importcandidate.h"

#include <QHash>
#include <QList>
#include <QMap>

namespace zk {

class Album;
class EntryTable;

// The order the photos of a batch import are placed in. Nothing is sorted
// unless the user chose a sort.
enum class ImportOrder { Name, Time, Given };

// Insert: later contents move back, as 挿入 does. Fill: only entries without
// a photo take one, from the start position on, keeping their title and text.
enum class Placement { Insert, Fill };

// Where the photos of a batch import go, worked out before anything changes.
struct ImportPlan
{
    Placement placement = Placement::Insert;
    int start = 1; // the position the import starts at
    QStringList photos; // in the order they are placed
    // Fill: the position of each photo, in the same order. Insert: start,
    // start + 1, ...
    QList<int> positions;
    // How many photos the album can take from start in this placement.
    int room = 0;
    // Entries the album has after the import.
    int entryCountAfter = 0;
    // The photos' blackboard data, by path: it fills the entries' empty
    // information and titles (PhotoFacts::fill), with boardText their empty
    // texts too. A photo missing here fills nothing.
    QHash<QString, PhotoFacts> facts;
    bool boardText = false;

    bool fits() const { return photos.size() <= room; }

    // Sorts as chosen: by name, by time (ties by name), or as given.
    static QList<ImportCandidate> order(QList<ImportCandidate> candidates, ImportOrder order);

    static ImportPlan make(
        const EntryTable& entries, int start, Placement placement, const QStringList& photos);

    // The album step: one insert or one set of entry contents. Returns false,
    // changing nothing, when the album would pass its size limit.
    bool apply(Album& album, const QString& stepName) const;

private:
    void fill(EntryContent* content) const;
};

} // namespace zk
