#include "albumtools.h"

#include "model/album.h"
#include "ui/overviewwindow.h"
#include "app/batchimportcommand.h"
#include "app/infocommands.h"
#include "app/relinkcommand.h"
#include "app/rereadcommand.h"

#include <QWidget>

namespace zk {

AlbumTools::AlbumTools(QWidget* w, Album& a, UserSettings& s, Dialogs& d, PhotoLoader& l,
    InfoCommands& i, WindowHooks h)
    : QObject(w), window(w), album(a), settings(s), dialogs(d), loader(l), info(i), hooks(std::move(h)),
      batchImport(a, d, l)
{
    // The overview never outlives the album it shows.
    connect(&album, &QObject::destroyed, this, [this] { delete overviewWindow; });
}

AlbumTools::~AlbumTools()
{
    delete overviewWindow;
}

OverviewWindow* AlbumTools::overview() const
{
    return overviewWindow;
}

void AlbumTools::batch_import(const QStringList& files, int position)
{
    const int start = position > 0 ? position : hooks.selectedPosition();
    // Files dropped on the overview: its dialogs stand over it.
    QWidget* parent = !files.isEmpty() && overviewWindow ? overviewWindow.data() : window;
    batchImport.run(parent, start, files);
}

void AlbumTools::show_overview()
{
    if (!overviewWindow) {
        // A window of its own beside the main window, deleted when closed.
        overviewWindow = new OverviewWindow(album, settings, hooks.undoActions);
        overviewWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(overviewWindow, &OverviewWindow::entryActivated, this, [this](int position) {
            hooks.showPosition(position);
            window->raise();
            window->activateWindow();
        });
        connect(overviewWindow, &OverviewWindow::importRequested, this,
            [this](const QStringList& files, int position) { batch_import(files, position); });
        connect(overviewWindow, &OverviewWindow::infoRequested, this,
            [this](int position) { info.edit_info(position, overviewWindow); });
        connect(overviewWindow, &OverviewWindow::bulkInfoRequested, this,
            [this](const QList<int>& positions) { info.bulk_info(overviewWindow, positions); });
        connect(overviewWindow, &OverviewWindow::sortRequested, this,
            [this] { overviewWindow->show_status(info.sort_album()); });
        connect(overviewWindow, &OverviewWindow::rereadRequested, this,
            [this](const QList<int>& positions) { reread_info(positions); });
    }
    overviewWindow->show();
    overviewWindow->raise();
    overviewWindow->activateWindow();
}

void AlbumTools::relink_photos()
{
    RelinkCommand(album, dialogs).run(window);
}

void AlbumTools::reread_info(const QList<int>& positions)
{
    if (positions.isEmpty()) {
        RereadCommand(album, dialogs).run(window, { hooks.selectedPosition() });
        return;
    }
    QWidget* parent = overviewWindow ? overviewWindow.data() : window;
    RereadCommand(album, dialogs).run(parent, positions);
}

} // namespace zk
