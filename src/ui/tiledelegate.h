#pragma once

#include <QSet>
#include <QStyledItemDelegate>

namespace zk {

// Draws an entry of the overview as a tile: the thumbnail (or a mark for a
// photo that cannot be shown), the number, the title and the photo's
// 写真区分 / 工種. Tiles of every other page have a tinted ground and the
// first tile of a page carries the page number, so that page boundaries
// show at a glance.
class TileDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TileDelegate(const QSize& thumbnailSize, QObject* parent = nullptr);

    QSize tileSize() const;
    // Positions cut for a later paste are drawn faded.
    void set_cut(const QSet<int>& positions) { cut = positions; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize thumbnail;
    QSet<int> cut;
};

} // namespace zk
