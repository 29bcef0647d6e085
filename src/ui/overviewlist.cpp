#include "overviewlist.h"

namespace zk {

OverviewList::OverviewList(QWidget* parent) : QListView(parent) { }

void OverviewList::dropEvent(QDropEvent* event)
{
    // Past QListView's own handling of internal moves: the model's
    // dropMimeData moves the whole block.
    QAbstractItemView::dropEvent(event);
}

} // namespace zk
