#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QHash>
#include <QPixmap>

namespace zk {

class Album;
class ThumbnailLoader;

// The album's entries as a flat list, one row per position (row 0 is
// position 1), for the overview. It holds no entry data of its own: rows are
// read from the album and follow its change signals; thumbnails come from the
// loader, asked for only when a view shows the row. Dragging rows moves their
// contents through the album; dropping files asks for a batch import.
class AlbumListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        PositionRole = Qt::UserRole + 1,
        NumberRole, // the entry's number text (" 12")
        TitleRole,
        ImageRole, // the photo's path
        PageRole, // the page the entry is shown on, from 1
        MissingRole, // true when the entry names a photo that cannot be shown
        ClassRole, // 写真区分 and 工種 of the photo information, as one line
        FailureRole, // why that photo cannot be shown, in Japanese
    };

    // Rows dragged within the overview travel in this format: their
    // positions, and the process they come from.
    static QString entriesMimeType() { return QStringLiteral("application/x-zelkora-entries"); }

    // Decoded pictures kept for the tiles, in bytes.
    static constexpr qint64 ThumbnailCacheBytes = 32 * 1024 * 1024;

    AlbumListModel(Album& album, ThumbnailLoader& loader, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) override;

    // Moves the contents of the given positions as one block to just before
    // position `to` (N + 1: the end), one album step. Returns the position
    // the block starts at afterwards, or 0 when nothing moved.
    int move_positions(QList<int> positions, int to);

    // The position a drop at (row, parent) puts things before.
    int dropPosition(int row, const QModelIndex& parent) const;

Q_SIGNALS:
    // Files were dropped before `position`: the overview asks for a batch import.
    void filesDropped(const QStringList& paths, int position);
    // A move put `count` contents at first..first + count - 1.
    void entriesMoved(int first, int count);

private:
    void entriesChanged(int first, int last);
    void countChanged();
    void thumbnailLoaded(const QString& path, const QImage& image, const QString& error);
    QVariant decoration(const QString& path) const;

    Album& album;
    ThumbnailLoader& loader;
    int rows = 0;
    // Mutable: data() fills them as rows are shown.
    mutable QCache<QString, QPixmap> thumbnails;
    mutable QHash<QString, QString> failures;
};

} // namespace zk
