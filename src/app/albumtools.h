#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QWidget;

namespace zk {

class Album;
class Dialogs;
class OverviewWindow;
class PhotoLoader;

// The whole-album commands: 写真の一括取込, 写真一覧 and 写真フォルダの再設定.
// Each is one QAction that the window puts into its menus (and, for the
// batch import, its tool bar); they work on the album and ask the window
// only where the user is and to show a position.
class AlbumTools : public QObject
{
    Q_OBJECT

public:
    struct WindowHooks
    {
        // The entry of the selected slot on the page shown.
        std::function<int()> selectedPosition;
        // Shows the page of the entry and selects its slot.
        std::function<void(int)> showPosition;
    };

    AlbumTools(QWidget* window, Album& album, Dialogs& dialogs, PhotoLoader& loader,
        WindowHooks hooks);
    ~AlbumTools() override;

    // Menu item "batch_import_menu"; on the tool bar under the key "batchimport".
    QAction* batchImportAction() const { return batchImport; }
    QAction* batchImportButton() const { return batchImportKey; }
    // Menu item "overview_menu" of the 表示 menu.
    QAction* overviewAction() const { return overviewItem; }
    // Menu item "relink_menu".
    QAction* relinkAction() const { return relink; }

    OverviewWindow* overview() const { return overviewWindow; }

    void batch_import(const QStringList& files = {}, int position = 0);
    void show_overview();
    void relink_photos();

private:
    QWidget* window;
    Album& album;
    Dialogs& dialogs;
    PhotoLoader& loader;
    WindowHooks hooks;
    QAction* batchImport = nullptr;
    QAction* batchImportKey = nullptr;
    QAction* overviewItem = nullptr;
    QAction* relink = nullptr;
    QPointer<OverviewWindow> overviewWindow;
};

} // namespace zk
