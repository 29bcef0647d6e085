#include "albumlistmodel.h"

#include "model/album.h"
#include "photos/thumbnailloader.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace zk {

namespace {

QByteArray encodePositions(const QList<int>& positions)
{
    QByteArray bytes = QByteArray::number(QCoreApplication::applicationPid()) + ';';
    for (int p : positions)
        bytes += QByteArray::number(p) + ',';
    return bytes;
}

// The positions, or none when the data come from another process (another
// window's album).
QList<int> decodePositions(const QByteArray& bytes, int entryCount)
{
    const qsizetype semicolon = bytes.indexOf(';');
    if (semicolon < 0 || bytes.left(semicolon).toLongLong() != QCoreApplication::applicationPid())
        return {};
    QList<int> positions;
    for (const QByteArray& part : bytes.mid(semicolon + 1).split(',')) {
        bool ok = false;
        const int p = part.toInt(&ok);
        if (ok && p >= 1 && p <= entryCount)
            positions << p;
    }
    return positions;
}

} // namespace

AlbumListModel::AlbumListModel(Album& a, ThumbnailLoader& l, QObject* parent)
    : QAbstractListModel(parent), album(a), loader(l), rows(a.entries().entry_count())
{
    thumbnails.setMaxCost(ThumbnailCacheBytes);

    // The album tells what changed
    connect(&album, &Album::entriesChanged, this, &AlbumListModel::entriesChanged);
    connect(&album, &Album::pageCountChanged, this, &AlbumListModel::countChanged);
    connect(&album, &Album::documentReplaced, this, [this] {
        beginResetModel();
        rows = album.entries().entry_count();
        loader.forget_waiting();
        endResetModel();
    });
    connect(&loader, &ThumbnailLoader::loaded, this, &AlbumListModel::thumbnailLoaded);
}

int AlbumListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows;
}

QVariant AlbumListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows || index.row() >= album.entries().entry_count())
        return {};
    const int position = index.row() + 1;
    const Entry& entry = album.entries().entry(position);
    switch (role) {
    case Qt::DisplayRole:
        return QStringLiteral("No.%1 %2").arg(entry.number.trimmed(), entry.title);
    case Qt::ToolTipRole: {
        const QString error = failures.value(entry.image);
        return error.isEmpty() ? entry.image : entry.image + QLatin1Char('\n') + error;
    }
    case Qt::DecorationRole:
        return decoration(entry.image);
    case PositionRole:
        return position;
    case NumberRole:
        return entry.number;
    case TitleRole:
        return entry.title;
    case ImageRole:
        return entry.image;
    case PageRole:
        return page_of_entry(position);
    case MissingRole:
        return !entry.image.isEmpty() && failures.contains(entry.image);
    case ClassRole: {
        // A tile is narrow: "施工状況写真" shows as "施工状況", the 工種 after it.
        QString photoClass = entry.info.photoClass;
        if (photoClass.size() > 2 && photoClass.endsWith(QStringLiteral("写真")))
            photoClass.chop(2);
        QStringList parts;
        for (const QString& part : { photoClass, entry.info.workType }) {
            if (!part.isEmpty())
                parts << part;
        }
        return parts.join(QStringLiteral(" / "));
    }
    case FailureRole:
        return entry.image.isEmpty() ? QString() : failures.value(entry.image);
    default:
        return {};
    }
}

QVariant AlbumListModel::decoration(const QString& path) const
{
    if (path.isEmpty() || failures.contains(path))
        return {};
    if (const QPixmap* cached = thumbnails.object(path))
        return *cached;
    // Asked for only now that a view shows the row.
    loader.request(path);
    return {};
}

void AlbumListModel::thumbnailLoaded(const QString& path, const QImage& image, const QString& error)
{
    if (image.isNull()) {
        failures.insert(path, error);
    } else {
        failures.remove(path);
        auto* pixmap = new QPixmap(QPixmap::fromImage(image));
        thumbnails.insert(path, pixmap, qMax<qint64>(1, image.sizeInBytes()));
    }
    const EntryTable& entries = album.entries();
    for (int p = 1; p <= qMin(rows, entries.entry_count()); ++p) {
        if (entries.entry(p).image == path)
            Q_EMIT dataChanged(
                index(p - 1), index(p - 1), { Qt::DecorationRole, Qt::ToolTipRole, MissingRole, FailureRole });
    }
}

void AlbumListModel::entriesChanged(int first, int last)
{
    countChanged();
    first = qMax(first, 1);
    last = qMin(last, rows);
    if (first <= last)
        Q_EMIT dataChanged(index(first - 1), index(last - 1));
}

void AlbumListModel::countChanged()
{
    const int now = album.entries().entry_count();
    if (now > rows) {
        beginInsertRows({}, rows, now - 1);
        rows = now;
        endInsertRows();
    } else if (now < rows) {
        beginRemoveRows({}, now, rows - 1);
        rows = now;
        endRemoveRows();
    }
}

Qt::ItemFlags AlbumListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled
        | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> AlbumListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(PositionRole, "position");
    names.insert(NumberRole, "number");
    names.insert(TitleRole, "title");
    names.insert(ImageRole, "image");
    names.insert(PageRole, "page");
    names.insert(MissingRole, "missing");
    return names;
}

QStringList AlbumListModel::mimeTypes() const
{
    return { entriesMimeType(), QStringLiteral("text/uri-list") };
}

QMimeData* AlbumListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> positions;
    for (const QModelIndex& i : indexes) {
        if (i.isValid())
            positions << i.row() + 1;
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    auto* data = new QMimeData;
    data->setData(entriesMimeType(), encodePositions(positions));
    return data;
}

Qt::DropActions AlbumListModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions AlbumListModel::supportedDragActions() const
{
    return Qt::MoveAction;
}

int AlbumListModel::dropPosition(int row, const QModelIndex& parent) const
{
    // Dropped onto a tile: before it; between tiles: at that row; on the
    // empty area: after the last entry.
    if (row >= 0)
        return qMin(row, rows) + 1;
    if (parent.isValid())
        return parent.row() + 1;
    return rows + 1;
}

bool AlbumListModel::canDropMimeData(
    const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    if (data->hasFormat(entriesMimeType()))
        return !decodePositions(data->data(entriesMimeType()), rows).isEmpty();
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& u) { return u.isLocalFile(); });
}

bool AlbumListModel::dropMimeData(
    const QMimeData* data, Qt::DropAction action, int row, int, const QModelIndex& parent)
{
    if (action == Qt::IgnoreAction)
        return true;
    const int to = dropPosition(row, parent);
    if (data->hasFormat(entriesMimeType()))
        return move_positions(decodePositions(data->data(entriesMimeType()), rows), to) > 0;

    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    if (files.isEmpty())
        return false;
    // The import asks questions; it runs after the drop has ended, so that
    // the drag source is not held up.
    QMetaObject::invokeMethod(
        this, [this, files, to] { Q_EMIT filesDropped(files, to); }, Qt::QueuedConnection);
    // Files are never "moved" away from where they came from.
    return false;
}

int AlbumListModel::move_positions(QList<int> positions, int to)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.isEmpty() || to < 1 || to > rows + 1)
        return 0;
    // Where the block starts once the others have closed up around it.
    const int before
        = int(std::count_if(positions.cbegin(), positions.cend(), [to](int p) { return p < to; }));
    const int first = to - before;
    const bool contiguous = positions.constLast() - positions.constFirst() + 1 == positions.size();
    // Onto its own place: nothing moves and no step is recorded.
    if (contiguous && first == positions.constFirst())
        return 0;
    album.move_entries(positions, to);
    Q_EMIT entriesMoved(first, int(positions.size()));
    return first;
}

} // namespace zk
