#include "overviewwindow.h"

#include "model/album.h"
#include "model/preferences.h"
#include "ui/albumlistmodel.h"
#include "ui/overviewlist.h"
#include "ui/tiledelegate.h"
#include "photos/thumbnailloader.h"

#include <QAction>
#include <QCloseEvent>
#include <QListView>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace zk {

namespace {

const QSize thumbnailSize(96, 72);
const QString geometryKey = QStringLiteral("overview/geometry");

} // namespace

OverviewWindow::OverviewWindow(Album& a, QWidget* parent) : QWidget(parent, Qt::Window), album(a)
{
    setObjectName(QStringLiteral("overviewWindow"));
    setWindowTitle(QStringLiteral("写真一覧"));
    // At most two decoding threads: the machine is shared with the window.
    thumbnails = new ThumbnailLoader(thumbnailSize, 2, this);
    entries = new AlbumListModel(album, *thumbnails, this);
    delegate = new TileDelegate(thumbnailSize, this);

    list = new OverviewList(this);
    list->setObjectName(QStringLiteral("overviewList"));
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setGridSize(delegate->tileSize());
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setSpacing(0);
    list->setItemDelegate(delegate);
    list->setModel(entries);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setDragEnabled(true);
    list->setAcceptDrops(true);
    list->setDropIndicatorShown(true);
    list->setDragDropMode(QAbstractItemView::DragDrop);
    list->setDefaultDropAction(Qt::MoveAction);
    list->setDragDropOverwriteMode(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);

    // Keys: cut and paste to move, Delete to clear
    const auto addKey = [this](const char* name, const QString& caption, QKeySequence key,
                            void (OverviewWindow::*handler)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, handler);
        list->addAction(action);
    };
    addKey("overview_cut", QStringLiteral("切り取り"), QKeySequence::Cut,
        &OverviewWindow::cut_selection);
    addKey("overview_paste", QStringLiteral("貼り付け"), QKeySequence::Paste,
        &OverviewWindow::paste_before_current);
    addKey("overview_clear", QStringLiteral("削除"), QKeySequence::Delete,
        &OverviewWindow::clear_selection);
    auto* reread = new QAction(QStringLiteral("写真情報を写真から読み直す(&I)"), this);
    reread->setObjectName(QStringLiteral("overview_reread_info"));
    connect(reread, &QAction::triggered, this,
        [this] { Q_EMIT rereadRequested(selected_positions()); });
    list->addAction(reread);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);

    // The tiles announce what the user asked for
    connect(list, &QListView::activated, this,
        [this](const QModelIndex& index) { Q_EMIT entryActivated(index.row() + 1); });
    connect(entries, &AlbumListModel::entriesMoved, this, &OverviewWindow::select_positions);
    connect(entries, &AlbumListModel::filesDropped, this, &OverviewWindow::importRequested);
    // A cut list stays valid only while the album stays as it was.
    connect(&album, &Album::entriesChanged, this, [this] {
        if (cutPositions.isEmpty())
            return;
        cutPositions.clear();
        delegate->set_cut({});
        list->viewport()->update();
    });

    resize(760, 560);
    const QSettings settings(Preferences::default_file(), QSettings::IniFormat);
    restoreGeometry(settings.value(geometryKey).toByteArray());
}

OverviewWindow::~OverviewWindow()
{
    saveGeometryToSettings();
}

void OverviewWindow::closeEvent(QCloseEvent* event)
{
    saveGeometryToSettings();
    event->accept();
}

void OverviewWindow::saveGeometryToSettings() const
{
    QSettings settings(Preferences::default_file(), QSettings::IniFormat);
    settings.setValue(geometryKey, saveGeometry());
}

QList<int> OverviewWindow::selected_positions() const
{
    QList<int> positions;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
        positions << index.row() + 1;
    std::sort(positions.begin(), positions.end());
    return positions;
}

void OverviewWindow::select_positions(int first, int count)
{
    QItemSelection selection(entries->index(first - 1), entries->index(first + count - 2));
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    list->selectionModel()->setCurrentIndex(
        entries->index(first - 1), QItemSelectionModel::NoUpdate);
    list->scrollTo(entries->index(first - 1));
}

void OverviewWindow::cut_selection()
{
    cutPositions = selected_positions();
    delegate->set_cut(QSet<int>(cutPositions.cbegin(), cutPositions.cend()));
    list->viewport()->update();
}

void OverviewWindow::paste_before_current()
{
    if (cutPositions.isEmpty())
        return;
    const QModelIndex current = list->currentIndex();
    const int to = current.isValid() ? current.row() + 1 : entries->rowCount() + 1;
    const QList<int> positions = cutPositions;
    cutPositions.clear();
    delegate->set_cut({});
    entries->move_positions(positions, to);
    list->viewport()->update();
}

void OverviewWindow::clear_selection()
{
    const QList<int> positions = selected_positions();
    if (!positions.isEmpty())
        album.clear_entries(positions);
}

} // namespace zk
