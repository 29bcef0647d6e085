#pragma once

#include "model/album.h"
#include "photos/photoloader.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QLineEdit;

namespace zk {

class AlbumTools;
class CommandSet;
class CoverDialog;
class Dialogs;
class FileCommands;
class OptionsDialog;
class PageSpinner;
class PhotoCommands;
class PrintCommands;
class SlotView;
class ZoomWindow;

// The album's main window: one page of three photo slots, the page control,
// the menus and the tool bar. It shows the album and follows its signals;
// every change of the album goes through the album's operations, here or
// in the command objects. It keeps the window-level state: the selected slot.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The cover data of a new album; asked again for every new album.
    using CoverDefaults = std::function<CoverData()>;

    MainWindow(Dialogs& dialogs, CoverDefaults coverDefaults, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The cover data window, shown modally as start-up ends.
    void show_cover_modal();

    Album& album() { return albumData; }
    SlotView& slot(int k) { return *slotViews.at(size_t(k)); }
    CoverDialog* coverWindow() const;
    ZoomWindow* zoomWindow() const;
    PageSpinner* pageControl() { return spinner; }
    CommandSet& commands() { return *commandSet; }
    FileCommands& fileCommands() { return *files; }
    PhotoCommands& photoCommands() { return *photos; }
    PrintCommands& printCommands() { return *printing; }
    AlbumTools& albumTools() { return *wholeAlbum; }

    int current_page() const;
    int highest_page() const;
    int selected_slot() const { return selected; }
    // Makes k the selected slot and marks it.
    void select_slot(int k);
    // Fills the three slots from the entries of the current page.
    void show_page();

    // The size of a slot's photo in device pixels, at which it is decoded.
    QSize slotPictureSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void connectCommands();
    void connectAlbum();

    int selected_position() const;
    void show_slot(int k);
    void mark_selected_slot(int k);
    void renew_cover_window();
    ZoomWindow* ensure_zoom_window();

    // What the user did
    void page_number_shown();
    void page_changed(int page);
    void title_edited(int k);
    void text_edited(int k);
    void insert_line();
    void extract_line();
    void photo_released(int k, Qt::MouseButton button, const QPoint& globalPosition);
    void photo_clicked(int k);
    void photo_double_clicked(int k);
    void files_dropped(int k, const QStringList& paths);
    void show_cover_window();
    void show_options();
    void show_zoom();
    void go_to_title(int position);

    // What the album did
    void entries_changed(int first, int last);
    void step_shown(int position);
    void new_album_started();

    Dialogs& messages;
    Album albumData;
    PhotoLoader loader;

    int selected = 0;
    bool writeBack = false;
    // True while the views follow a change of the album (not the user's).
    bool followingAlbum = false;

    std::array<SlotView*, 3> slotViews {};
    QLineEdit* pageNumberBox = nullptr;
    PageSpinner* spinner = nullptr;
    CommandSet* commandSet = nullptr;
    QPointer<CoverDialog> cover;
    QPointer<ZoomWindow> zoom;
    QPointer<OptionsDialog> options;
    std::unique_ptr<FileCommands> files;
    std::unique_ptr<PhotoCommands> photos;
    std::unique_ptr<PrintCommands> printing;
    AlbumTools* wholeAlbum = nullptr;
};

} // namespace zk
