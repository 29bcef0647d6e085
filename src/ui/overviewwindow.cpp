#include "overviewwindow.h"

#include "model/album.h"
#include "model/usersettings.h"
#include "ui/albumlistmodel.h"
#include "ui/overviewlist.h"
#include "ui/tiledelegate.h"
#include "photos/thumbnailloader.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QListView>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>

namespace zk {

namespace {

const QSize thumbnailSize(96, 72);

} // namespace

OverviewWindow::OverviewWindow(
    Album& a, UserSettings& s, const QList<QAction*>& undoActions, QWidget* parent)
    : QWidget(parent, Qt::Window), album(a), settings(s)
{
    setObjectName(QStringLiteral("overviewWindow"));
    setWindowTitle(QStringLiteral("写真一覧"));
    // At most two decoding threads: the machine is shared with the window.
    thumbnails = new ThumbnailLoader(thumbnailSize, 2, this);
    entries = new AlbumListModel(album, *thumbnails, this);
    delegate = new TileDelegate(thumbnailSize, this);

    buildList();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("overviewStatus"));
    status->setContentsMargins(6, 2, 6, 2);
    status->hide();
    layout->addWidget(status);

    addEditCommands(undoActions);

    // The tiles announce what the user asked for
    connect(list, &QListView::activated, this,
        [this](const QModelIndex& index) { Q_EMIT entryActivated(index.row() + 1); });
    connect(entries, &AlbumListModel::entriesMoved, this, &OverviewWindow::select_positions);
    connect(entries, &AlbumListModel::filesDropped, this, &OverviewWindow::importRequested);
    // Tiles as wide as the longest number label (No.271 (91 ページ)).
    const auto fitTiles = [this] {
        delegate->fit_numbers(album.entries().entry_count());
        list->setGridSize(delegate->tileSize());
    };
    connect(&album, &Album::pageCountChanged, this, fitTiles);
    connect(&album, &Album::documentReplaced, this, fitTiles);
    // A cut list stays valid only while the album stays as it was.
    connect(&album, &Album::entriesChanged, this, [this] {
        if (cutPositions.isEmpty())
            return;
        cutPositions.clear();
        delegate->set_cut({});
        list->viewport()->update();
    });

    addInfoCommands();
    resize(760, 560);
    restoreGeometry(settings.preferences().overviewGeometry);
}

// The tiles: a wrapping list that drags and drops within itself and takes files.
void OverviewWindow::buildList()
{
    list = new OverviewList(this);
    list->setObjectName(QStringLiteral("overviewList"));
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::LeftToRight);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    delegate->fit_numbers(album.entries().entry_count());
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
}

void OverviewWindow::addEditCommands(const QList<QAction*>& undoActions)
{
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
    auto* reread = new QAction(QStringLiteral("写真情報を写真から読み直す(&B)"), this);
    reread->setObjectName(QStringLiteral("overview_reread_info"));
    connect(reread, &QAction::triggered, this,
        [this] { Q_EMIT rereadRequested(selected_positions()); });
    list->addAction(reread);
    // The album's own undo and redo: the same actions as the main window's,
    // so their keys, captions and enabled state agree everywhere.
    if (!undoActions.isEmpty()) {
        auto* line = new QAction(this);
        line->setSeparator(true);
        list->addAction(line);
        list->addActions(undoActions);
    }
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Escape and Ctrl+W close the window, as they do other tool windows.
    auto* closing = new QAction(QStringLiteral("閉じる"), this);
    closing->setObjectName(QStringLiteral("overview_close"));
    closing->setShortcuts({ QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W) });
    closing->setShortcutContext(Qt::WindowShortcut);
    connect(closing, &QAction::triggered, this, &QWidget::close);
    addAction(closing);
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
    Preferences preferences = settings.preferences();
    preferences.overviewGeometry = saveGeometry();
    settings.store(preferences);
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
    const QList<int> positions = cutPositions;
    // The first moved entry lands on the chosen number: the block goes before
    // the entry that, of those not moved, stands at that place.
    const QSet<int> moved(positions.cbegin(), positions.cend());
    const int rows = entries->rowCount();
    const int start = current.isValid() ? current.row() + 1 : rows + 1;
    int to = rows + 1;
    for (int p = 1, others = 0; p <= rows; ++p) {
        if (!moved.contains(p) && ++others == start) {
            to = p;
            break;
        }
    }
    cutPositions.clear();
    delegate->set_cut({});
    entries->move_positions(positions, to);
    list->viewport()->update();
}

void OverviewWindow::addInfoCommands()
{
    // Photo information: for the current tile, the selection, and the order
    // of the whole album; the pop-up menu lists them after the others.
    const auto addCommand = [this](const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QLatin1String(name));
        list->addAction(action);
        return action;
    };
    addCommand("overview_info_line", QString())->setSeparator(true);
    QAction* info = addCommand("overview_info", QStringLiteral("写真情報(&I)..."));
    info->setShortcut(Qt::Key_F4);
    info->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(info, &QAction::triggered, this, [this] {
        if (list->currentIndex().isValid())
            Q_EMIT infoRequested(list->currentIndex().row() + 1);
    });
    connect(addCommand("overview_bulk_info", QStringLiteral("写真情報の一括設定(&B)...")),
        &QAction::triggered, this, [this] {
            const QList<int> positions = selected_positions();
            if (!positions.isEmpty())
                Q_EMIT bulkInfoRequested(positions);
        });
    connect(addCommand("overview_sort", QStringLiteral("写真情報で並べ替え(&S)")),
        &QAction::triggered, this, &OverviewWindow::sortRequested);
}

void OverviewWindow::show_status(const QString& text)
{
    status->setText(text);
    status->setVisible(!text.isEmpty());
}

void OverviewWindow::clear_selection()
{
    const QList<int> positions = selected_positions();
    if (!positions.isEmpty())
        album.clear_entries(positions);
}

} // namespace zk
