#pragma once

#include <QList>
#include <QWidget>

class QAction;
class QLabel;
class QListView;

namespace zk {

class Album;
class AlbumListModel;
class ThumbnailLoader;
class TileDelegate;
class UserSettings;

// 写真一覧: every entry of the album as a tile, to see the whole album and
// rearrange it. Not modal; it follows the album's changes and changes the
// album only through its operations (move, clear), one step each.
class OverviewWindow : public QWidget
{
    Q_OBJECT

public:
    // undoActions: the album's undo and redo, whose keys work here too.
    // Its place and size are kept in settings.
    OverviewWindow(Album& album, UserSettings& settings, const QList<QAction*>& undoActions = {},
        QWidget* parent = nullptr);
    ~OverviewWindow() override;

    QListView* view() const { return list; }
    AlbumListModel* model() const { return entries; }
    ThumbnailLoader* thumbnailLoader() const { return thumbnails; }

    // Selected positions, ascending.
    QList<int> selected_positions() const;
    void select_positions(int first, int count);

    // The keyboard's way to move: cut marks the selected entries, paste
    // moves them so that the first lands on the current tile's number.
    void cut_selection();
    void paste_before_current();
    // Empties the selected entries (photo, title and text), one step.
    void clear_selection();
    // A line under the tiles telling what a command did.
    void show_status(const QString& text);
    QLabel* statusLine() const { return status; }

Q_SIGNALS:
    // Double click or Enter: the main window shows the entry.
    void entryActivated(int position);
    // Files dropped before position: the batch import opens with them.
    void importRequested(const QStringList& files, int position);
    // 写真情報 for the current entry.
    void infoRequested(int position);
    // 写真情報の一括設定 for the selected entries.
    void bulkInfoRequested(const QList<int>& positions);
    // 並べ替え of the whole album by its photo information.
    void sortRequested();
    // 写真情報を写真から読み直す for the selected tiles.
    void rereadRequested(const QList<int>& positions);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildList();
    // Cut, paste, delete, 読み直す, undo and redo, and closing by key.
    void addEditCommands(const QList<QAction*>& undoActions);
    void saveGeometryToSettings() const;
    void addInfoCommands();

    Album& album;
    UserSettings& settings;
    ThumbnailLoader* thumbnails = nullptr;
    AlbumListModel* entries = nullptr;
    TileDelegate* delegate = nullptr;
    QListView* list = nullptr;
    QLabel* status = nullptr;
    QList<int> cutPositions;
};

} // namespace zk
