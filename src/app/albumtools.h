#pragma once

#include "app/batchimportcommand.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QWidget;

namespace zk {

class Album;
class Dialogs;
class InfoCommands;
class OverviewWindow;
class PhotoLoader;
class UserSettings;

// The whole-album commands: 写真の一括取込, 写真一覧 (with its photo
// information commands), 写真フォルダの再設定 and 写真情報を写真から読み直す.
// They work on the album and ask the window only where the user is and to
// show a position; the window connects its actions to them.
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
        // The album's undo and redo, shared with the windows that change it.
        QList<QAction*> undoActions;
    };

    AlbumTools(QWidget* window, Album& album, UserSettings& settings, Dialogs& dialogs,
        PhotoLoader& loader, InfoCommands& info, WindowHooks hooks);
    ~AlbumTools() override;

    // The overview while it is open.
    OverviewWindow* overview() const;

    // Without files, asks for them first; without a position, the photos go
    // to the selected slot's entry.
    void batch_import(const QStringList& files = {}, int position = 0);
    void show_overview();
    void relink_photos();
    // The given entries (from the overview), or the selected slot's.
    void reread_info(const QList<int>& positions = {});

private:
    QWidget* window;
    Album& album;
    UserSettings& settings;
    Dialogs& dialogs;
    PhotoLoader& loader;
    InfoCommands& info;
    WindowHooks hooks;
    QPointer<OverviewWindow> overviewWindow;
    // One for the window's life, so that it remembers the folder used last.
    BatchImportCommand batchImport;
};

} // namespace zk
