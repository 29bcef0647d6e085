#pragma once

#include "model/photoinfo.h"

#include <QList>
#include <QString>

namespace zk {

// What 写真情報の一括設定 does to each chosen entry: the items given in
// `values` replace the entry's own, the items in `cleared` are emptied, and
// every other item stays as it is.
struct InfoPatch
{
    PhotoInfo values;
    QList<InfoItem> cleared;

    bool isEmpty() const { return values.isEmpty() && cleared.isEmpty(); }
    PhotoInfo applied_to(PhotoInfo info) const;
};

// A typed 撮影年月日 as the item keeps it (YYYY-MM-DD). Slashes or dots
// between the parts, one-digit months and days and full-width digits are
// taken too. An empty text stays empty. On a text that is no date, or a
// date that does not exist, returns "" and sets *problem for the user.
QString normalized_shot_date(const QString& typed, QString* problem);

} // namespace zk
