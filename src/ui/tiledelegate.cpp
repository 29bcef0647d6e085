#include "tiledelegate.h"

#include "model/entrytable.h"
#include "ui/albumlistmodel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace zk {

namespace {

constexpr int Margin = 4;
const QColor evenPageGround(232, 238, 248);
const QColor pageRule(80, 80, 192);
const QColor missingMark(192, 64, 64);

} // namespace

TileDelegate::TileDelegate(const QSize& thumbnailSize, QObject* parent)
    : QStyledItemDelegate(parent), thumbnail(thumbnailSize)
{
}

QSize TileDelegate::tileSize() const
{
    const int line = QFontMetrics(QApplication::font()).height();
    const int width = std::max(thumbnail.width() + 8, labelWidth + 4) + 2 * Margin;
    return { width, thumbnail.height() + 2 * Margin + 3 * line + 6 };
}

void TileDelegate::fit_numbers(int entryCount)
{
    // The last page's first entry has the most digits and the page number:
    // its label is the longest (digits are equally wide).
    const int first = entry_index(std::max(1, page_of_entry(std::max(1, entryCount))), 0);
    labelWidth = QFontMetrics(QApplication::font())
                     .horizontalAdvance(number_label(number_text(first), first));
}

QString TileDelegate::number_label(const QString& number, int position)
{
    QString label = QStringLiteral("No.") + number.trimmed();
    if (slot_of_entry(position) == 0)
        label += QStringLiteral("  (%1 ページ)").arg(page_of_entry(position));
    return label;
}

QSize TileDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return tileSize();
}

void TileDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    const QRect r = option.rect;
    const int page = index.data(AlbumListModel::PageRole).toInt();
    const int position = index.data(AlbumListModel::PositionRole).toInt();
    const bool firstOfPage = slot_of_entry(position) == 0;

    painter->fillRect(r, page % 2 == 0 ? evenPageGround : option.palette.base().color());
    if (option.state & QStyle::State_Selected)
        painter->fillRect(
            r.adjusted(1, 1, -1, -1), option.palette.highlight().color().lighter(150));
    if (firstOfPage) {
        painter->setPen(QPen(pageRule, 2));
        painter->drawLine(r.topLeft() + QPoint(1, 0), r.bottomLeft() + QPoint(1, 0));
    }

    const QRect picture(r.left() + (r.width() - thumbnail.width()) / 2, r.top() + Margin,
        thumbnail.width(), thumbnail.height());
    const QVariant decoration = index.data(Qt::DecorationRole);
    const QString image = index.data(AlbumListModel::ImageRole).toString();
    if (cut.contains(position))
        painter->setOpacity(0.4);
    if (decoration.canConvert<QPixmap>() && !decoration.value<QPixmap>().isNull()) {
        painter->drawPixmap(picture, decoration.value<QPixmap>());
    } else {
        painter->setPen(QColor(192, 192, 192));
        painter->drawRect(picture.adjusted(0, 0, -1, -1));
        if (index.data(AlbumListModel::MissingRole).toBool()) {
            // A photo the album names but that cannot be shown.
            painter->setPen(QPen(missingMark, 2));
            painter->drawLine(picture.topLeft(), picture.bottomRight());
            painter->drawLine(picture.topRight(), picture.bottomLeft());
            // Why, in the loader's words as the slot shows them, without
            // the bracketed detail the tool-tip keeps.
            const QString why = index.data(AlbumListModel::FailureRole)
                                    .toString()
                                    .section(QStringLiteral(" ("), 0, 0);
            QFont small = painter->font();
            small.setPointSizeF(small.pointSizeF() * 0.85);
            painter->setFont(small);
            const QString shown = why.isEmpty() ? QStringLiteral("写真なし") : why;
            const int flags = Qt::AlignCenter | Qt::TextWordWrap;
            const QRect room = picture.adjusted(4, 4, -4, -4);
            // On a plain ground, so that the cross does not run through the words.
            const QRect words = painter->boundingRect(room, flags, shown).intersected(room);
            painter->fillRect(words.adjusted(-2, -1, 2, 1), option.palette.base());
            painter->drawText(room, flags, shown);
            painter->setFont(option.font);
        } else if (!image.isEmpty()) {
            painter->setPen(option.palette.placeholderText().color());
            painter->drawText(picture, Qt::AlignCenter, QStringLiteral("…"));
        }
    }
    painter->setOpacity(1.0);

    const int line = option.fontMetrics.height();
    QRect text(r.left() + Margin, picture.bottom() + 3, r.width() - 2 * Margin, line);
    painter->setPen(option.palette.text().color());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
        number_label(index.data(AlbumListModel::NumberRole).toString(), position));
    text.translate(0, line);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(
            index.data(AlbumListModel::TitleRole).toString(), Qt::ElideRight, text.width()));
    // 写真区分 / 工種, cut with an ellipsis rather than mid-character.
    text.translate(0, line);
    painter->setPen(option.palette.placeholderText().color());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
        option.fontMetrics.elidedText(
            index.data(AlbumListModel::ClassRole).toString(), Qt::ElideRight, text.width()));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(option.palette.highlight().color(), 1, Qt::DotLine));
        painter->drawRect(r.adjusted(1, 1, -2, -2));
    }
    painter->restore();
}

} // namespace zk
