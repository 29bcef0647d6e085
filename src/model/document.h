#pragma once

#include "model/coverdata.h"
#include "model/entrytable.h"
#include "model/photorecord.h"
#include "model/setasideinfo.h"

#include <QHash>
#include <QList>
#include <QString>

namespace zk {

// One album: its cover data and its entries, with what is kept beside the
// album file (the photos' records, information set aside).
struct Document
{
    CoverData cover;
    EntryTable entries;
    // What each placed photo file was when it was placed, keyed by its path.
    // Records of paths no entry uses are left out when the album is saved.
    QHash<QString, PhotoRecord> records;
    QList<SetAsideInfo> setAside;

    // A new album: one page of empty entries numbered 1 to 3, with `cover`.
    static Document blank(CoverData cover = {})
    {
        Document d;
        d.cover = std::move(cover);
        d.entries.reset_table();
        return d;
    }
};

} // namespace zk
