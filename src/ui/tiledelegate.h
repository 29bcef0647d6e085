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

    // Wide enough for the longest number label of the album's entries.
    QSize tileSize() const;
    // The album now has entryCount entries: the labels to fit grow or shrink.
    void fit_numbers(int entryCount);
    // The tile's first line: "No.271  (91 ページ)" on the first tile of a page.
    static QString number_label(const QString& number, int position);
    // Positions cut for a later paste are drawn faded.
    void set_cut(const QSet<int>& positions) { cut = positions; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize thumbnail;
    int labelWidth = 0; // the widest number label, in pixels
    QSet<int> cut;
};

} // namespace zk
