#include "importplan.h"

#include "model/album.h"
#include "model/entrytable.h"
#include "photos/naturalorder.h"

#include <algorithm>

namespace zk {

namespace {

// The last position holding anything, 0 for an empty album.
int lastUsedPosition(const EntryTable& entries)
{
    for (int p = entries.entry_count(); p >= 1; --p) {
        if (!entries.entry(p).isEmpty())
            return p;
    }
    return 0;
}

int wholePages(int entries)
{
    return (entries + 2) / 3 * 3;
}

bool nameLess(const ImportCandidate& a, const ImportCandidate& b)
{
    const int byName = natural_compare(a.fileName(), b.fileName());
    return byName != 0 ? byName < 0 : natural_less(a.path, b.path);
}

} // namespace

QList<ImportCandidate> ImportPlan::order(QList<ImportCandidate> candidates, ImportOrder order)
{
    switch (order) {
    case ImportOrder::Name:
        std::stable_sort(candidates.begin(), candidates.end(), nameLess);
        break;
    case ImportOrder::Time:
        std::stable_sort(candidates.begin(), candidates.end(),
            [](const ImportCandidate& a, const ImportCandidate& b) {
                if (a.time != b.time) {
                    // A file without a time goes last.
                    if (!a.time.isValid() || !b.time.isValid())
                        return a.time.isValid();
                    return a.time < b.time;
                }
                return nameLess(a, b);
            });
        break;
    case ImportOrder::Given:
        break;
    }
    return candidates;
}

ImportPlan ImportPlan::make(
    const EntryTable& entries, int start, Placement placement, const QStringList& photos)
{
    ImportPlan plan;
    plan.placement = placement;
    plan.start = qBound(1, start, entries.entry_count() + 1);
    plan.photos = photos;
    const int n = entries.entry_count();
    const int count = int(photos.size());

    if (placement == Placement::Insert) {
        // The contents from start on move back by count; the empty entries at
        // the end take them up before the album grows.
        const int kept = qMax(lastUsedPosition(entries), plan.start - 1);
        plan.room = EntryTable::MaxEntries - kept;
        for (int k = 0; k < count; ++k)
            plan.positions << plan.start + k;
        plan.entryCountAfter = qMax(n, wholePages(kept + count));
    } else {
        int p = plan.start;
        for (int k = 0; k < count && p <= EntryTable::MaxEntries; ++p) {
            if (p > n || entries.entry(p).image.isEmpty()) {
                plan.positions << p;
                ++k;
            }
        }
        int freeInAlbum = 0;
        for (int q = plan.start; q <= n; ++q)
            freeInAlbum += entries.entry(q).image.isEmpty() ? 1 : 0;
        plan.room = freeInAlbum + (EntryTable::MaxEntries - n);
        plan.entryCountAfter
            = plan.positions.isEmpty() ? n : qMax(n, wholePages(plan.positions.constLast()));
    }
    plan.entryCountAfter = qMin(plan.entryCountAfter, EntryTable::MaxEntries);
    return plan;
}

bool ImportPlan::apply(Album& album, const QString& stepName) const
{
    if (!fits())
        return false;
    if (photos.isEmpty())
        return true;
    // Inserting behind the last used entry moves nothing: the photos only
    // fill empty entries, which set_contents does for positions past the end too.
    if (placement == Placement::Insert && start <= lastUsedPosition(album.entries())) {
        QList<EntryContent> contents;
        contents.reserve(photos.size());
        for (const QString& photo : photos) {
            EntryContent content { {}, {}, photo, {} };
            fill(&content);
            contents.append(content);
        }
        return album.insert_contents(start, contents, stepName);
    }
    const EntryTable& entries = album.entries();
    QMap<int, EntryContent> contents;
    for (qsizetype k = 0; k < photos.size(); ++k) {
        const int p = positions.at(k);
        EntryContent content;
        // An empty slot keeps its caption and information; the photo's own
        // information only fills what is empty.
        if (p <= entries.entry_count())
            content = entries.entry(p).content();
        content.image = photos.at(k);
        fill(&content);
        contents.insert(p, content);
    }
    return album.set_contents(contents, stepName);
}

void ImportPlan::fill(EntryContent* content) const
{
    const auto found = facts.constFind(content->image);
    if (found != facts.cend())
        found->fill(content, boardText);
}

} // namespace zk
