#include "infoorder.h"

#include <algorithm>
#include <numeric>

namespace zk {

namespace {

// Known classes by their place in the list, other ones after, empty last.
int classRank(const QString& photoClass)
{
    if (photoClass.isEmpty())
        return int(photo_classes().size()) + 1;
    const qsizetype known = photo_classes().indexOf(photoClass);
    return known >= 0 ? int(known) : int(photo_classes().size());
}

// Negative, zero or positive as a comes before, with or after b; empty last.
int compareNames(const QString& a, const QString& b)
{
    if (a.isEmpty() != b.isEmpty())
        return a.isEmpty() ? 1 : -1;
    return a.compare(b);
}

} // namespace

QDateTime shooting_time(const InfoSortKey& key)
{
    const QString& item = key.info.shotDate;
    if (item.isEmpty())
        return key.photoTime;
    const QDate date = QDate::fromString(item, Qt::ISODate);
    if (!date.isValid())
        return key.photoTime;
    if (key.photoTime.isValid() && key.photoTime.date() == date)
        return key.photoTime;
    return QDateTime(date, QTime(0, 0));
}

QList<int> info_sort_order(const QList<InfoSortKey>& keys)
{
    struct Ready
    {
        bool blank;
        int rank;
        QDateTime time;
    };
    QList<Ready> ready;
    ready.reserve(keys.size());
    for (const InfoSortKey& key : keys)
        ready.append({ key.blank, classRank(key.info.photoClass), shooting_time(key) });

    QList<int> order(keys.size());
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Ready& ra = ready.at(a - 1);
        const Ready& rb = ready.at(b - 1);
        if (ra.blank != rb.blank)
            return rb.blank;
        if (ra.rank != rb.rank)
            return ra.rank < rb.rank;
        const PhotoInfo& ia = keys.at(a - 1).info;
        const PhotoInfo& ib = keys.at(b - 1).info;
        if (ra.rank == int(photo_classes().size()) && ia.photoClass != ib.photoClass)
            return ia.photoClass < ib.photoClass;
        for (const auto name : { &PhotoInfo::workType, &PhotoInfo::kind, &PhotoInfo::detail }) {
            if (const int c = compareNames(ia.*name, ib.*name); c != 0)
                return c < 0;
        }
        if (ra.time.isValid() != rb.time.isValid())
            return ra.time.isValid();
        return ra.time < rb.time;
    });
    return order;
}

} // namespace zk
