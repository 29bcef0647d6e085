#pragma once

#include "delivery/deliverydata.h"
#include "model/photoinfo.h"
#include "model/photorecord.h"
#include "model/preferences.h"

#include <QDate>
#include <QList>

namespace zk {

class CoverData;
struct Document;

// One album entry as the delivery sees it.
struct DeliverySource
{
    int entry = 0; // from 1
    QString image;
    QString title;
    PhotoInfo info;
    PhotoRecord record; // invalid when the placement was not recorded
};

struct DeliveryOptions
{
    QString standard; // 適用要領基準; empty means the default
    // The construction period; invalid dates leave that end open.
    QDate periodStart;
    QDate periodEnd;
};

// What an export would write, or why it must not.
struct DeliveryPlanResult
{
    QList<DeliveryProblem> problems; // any one of these refuses the delivery
    QList<DeliveryProblem> warnings; // written anyway, but told
    DeliveryData data;

    bool ok() const { return problems.isEmpty(); }
};

// Turns the album's entries into the records of PHOTO.XML: numbers the
// photos and drawings, fills the defaults (工事, 0, the EXIF shooting date),
// and judges every item by DeliveryRules and every file by its first bytes.
class DeliveryPlan
{
public:
    // The entries that have a photo, in album order.
    static QList<DeliverySource> sources(const Document& document);
    static DeliveryPlanResult make(const QList<DeliverySource>& sources, const DeliveryOptions& options);

    // The cover's start and completion dates, the years counted in era.
    // False (and the dates left alone) when the cover holds no real date.
    static bool cover_period(const CoverData& cover, Era era, QDate* start, QDate* end);
};

} // namespace zk
