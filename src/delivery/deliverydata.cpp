#include "deliverydata.h"

#include <QSet>

namespace zk {

QList<DeliveryDrawing> DeliveryData::distinctDrawings() const
{
    QList<DeliveryDrawing> out;
    QSet<QString> seen;
    for (const DeliveryPhoto& photo : photos) {
        for (const DeliveryDrawing& drawing : photo.drawings) {
            if (!seen.contains(drawing.fileName)) {
                seen.insert(drawing.fileName);
                out.append(drawing);
            }
        }
    }
    return out;
}

QString DeliveryProblem::toString() const
{
    return entry == 0 ? message : QStringLiteral("No.%1: %2").arg(entry).arg(message);
}

} // namespace zk
