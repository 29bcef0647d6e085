#include "albumtools.h"

#include "overview/overviewwindow.h"
#include "photos/batchimportcommand.h"
#include "photos/relinkcommand.h"

#include <QAction>
#include <QIcon>
#include <QWidget>

namespace zk {

AlbumTools::AlbumTools(QWidget* w, Album& a, Dialogs& d, PhotoLoader& l, WindowHooks h)
    : QObject(w), window(w), album(a), dialogs(d), loader(l), hooks(std::move(h))
{
    const QIcon icon(QStringLiteral(":/icons/batchimport.xpm"));
    batchImport = new QAction(icon, QStringLiteral("写真の一括取込(&B)..."), this);
    batchImport->setObjectName(QStringLiteral("batch_import_menu"));
    batchImport->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    // The tool-bar button carries its key as object name, as the others do.
    batchImportKey = new QAction(icon, QStringLiteral("写真の一括取込"), this);
    batchImportKey->setObjectName(QStringLiteral("batchimport"));
    batchImportKey->setToolTip(QStringLiteral("写真の一括取込"));
    overviewItem = new QAction(QStringLiteral("写真一覧(&V)"), this);
    overviewItem->setObjectName(QStringLiteral("overview_menu"));
    overviewItem->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    relink = new QAction(QStringLiteral("写真フォルダの再設定(&R)..."), this);
    relink->setObjectName(QStringLiteral("relink_menu"));

    // Each action runs its command
    connect(batchImport, &QAction::triggered, this, [this] { batch_import(); });
    connect(batchImportKey, &QAction::triggered, this, [this] { batch_import(); });
    connect(overviewItem, &QAction::triggered, this, &AlbumTools::show_overview);
    connect(relink, &QAction::triggered, this, &AlbumTools::relink_photos);
}

AlbumTools::~AlbumTools()
{
    delete overviewWindow;
}

void AlbumTools::batch_import(const QStringList& files, int position)
{
    const int start = position > 0 ? position : hooks.selectedPosition();
    QWidget* parent = files.isEmpty() || !overviewWindow ? window : overviewWindow.data();
    BatchImportCommand(album, dialogs, loader).run(parent, start, files);
}

void AlbumTools::show_overview()
{
    if (!overviewWindow) {
        // A window of its own, not owned by the main window's layout, but
        // closed with it: deleted with this object.
        overviewWindow = new OverviewWindow(album);
        overviewWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(overviewWindow, &OverviewWindow::entryActivated, this, [this](int position) {
            hooks.showPosition(position);
            window->raise();
            window->activateWindow();
        });
        connect(overviewWindow, &OverviewWindow::importRequested, this,
            [this](const QStringList& files, int position) { batch_import(files, position); });
    }
    overviewWindow->show();
    overviewWindow->raise();
    overviewWindow->activateWindow();
}

void AlbumTools::relink_photos()
{
    RelinkCommand(album, dialogs).run(window);
}

} // namespace zk
