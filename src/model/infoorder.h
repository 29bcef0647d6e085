#pragma once

#include "model/photoinfo.h"

#include <QDateTime>
#include <QList>

namespace zk {

// What 並べ替え looks at for one entry: its information and the shooting time
// its photo carries (EXIF), invalid when it has none.
struct InfoSortKey
{
    PhotoInfo info;
    QDateTime photoTime;
    // An entry with nothing in it (no photo, caption or information) goes
    // after all others, so the photos close up.
    bool blank = false;
};

// The shooting time that orders an entry: the 撮影年月日 item, else the
// photo's own time; invalid when neither is known. The photo's time of the
// same day is kept, as it tells photos of that day apart.
QDateTime shooting_time(const InfoSortKey& key);

// The order of 並べ替え: by 写真区分 (in the order of photo_classes(); other
// values after them, empty last), then 工種, 種別, 細別 (empty last), then
// the shooting time (unknown last); blank entries last of all. Equal keys keep their order. keys[i]
// belongs to position i + 1; the result says which old position each new
// position takes: new position i + 1 gets old position order[i].
QList<int> info_sort_order(const QList<InfoSortKey>& keys);

} // namespace zk
