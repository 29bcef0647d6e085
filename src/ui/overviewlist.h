#pragma once

#include <QListView>

namespace zk {

// The overview's list of tiles. A drag inside it goes to the model as one
// drop: QListView would otherwise move the dragged rows one by one through
// moveRow(), which the album does not offer (a move of several entries is
// one step there), and would take a drop just behind the first selected
// tile for a move onto itself, dropping the others' move too.
class OverviewList : public QListView
{
    Q_OBJECT

public:
    explicit OverviewList(QWidget* parent = nullptr);

protected:
    void dropEvent(QDropEvent* event) override;
};

} // namespace zk
