#pragma once

#include "model/album.h"
#include "photos/photoloader.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

namespace zk {

class CaptionCommands;
class AlbumTools;
class CommandSet;
class CoverDialog;
class CsvExchange;
class DeliveryCommands;
class Dialogs;
class FileCommands;
class InfoCommands;
class OptionsDialog;
class PagePrefetcher;
class PhotoRecords;
class PageSpinner;
class PageView;
class PhotoCommands;
class PrintCommands;
class SlotView;
class ZoomWindow;

// The album's main window: the page on screen (PageView), the menus and the
// tool bar, and the windows beside it (cover, zoom, options). Commands change
// the album only through its operations; the views follow its signals.
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
    SlotView& slot(int k);
    CoverDialog* coverWindow() const;
    ZoomWindow* zoomWindow() const;
    PageSpinner* pageControl();
    CommandSet& commands() { return *commandSet; }
    FileCommands& fileCommands() { return *files; }
    PhotoCommands& photoCommands() { return *photos; }
    PrintCommands& printCommands() { return *printing; }
    CaptionCommands& captionCommands() { return *captions; }
    CsvExchange& csvExchange() { return *csv; }
    AlbumTools& albumTools() { return *wholeAlbum; }
    InfoCommands& infoCommands() { return *info; }
    PhotoRecords& photoRecords() { return *records; }
    DeliveryCommands& deliveryCommands() { return *delivery; }
    PhotoLoader& photoLoader() { return loader; }

    int current_page() const;
    int highest_page() const;
    int selected_slot() const;
    // Makes k the selected slot and marks it.
    void select_slot(int k);
    // Fills the three slots from the entries of the current page; photos no
    // cache holds follow once decoded.
    void show_page();
    // The page on screen; its pageShown tells when its photos are all there.
    PageView& pageView() { return *page; }
    // The size of a slot's photo in device pixels, at which it is decoded.
    QSize slotPictureSize() const;

    // While deferred, pages are shown without decoding their photos (start-up:
    // the cover window comes first); ending it shows the page's photos.
    void set_photos_deferred(bool deferred);
    // Decodes the photos of the page on screen in the background, so that
    // ending the deferral finds them in the cache.
    void prefetch_current_page();
    // Decodes the neighbours of the page on screen in the background.
    PagePrefetcher& prefetcher() { return *prefetch; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void connectCommands();

    void renew_cover_window();
    ZoomWindow* ensure_zoom_window();
    void show_title();

    // What the user did
    void insert_line();
    void extract_line();
    void photo_released(int k, Qt::MouseButton button, const QPoint& globalPosition);
    void photo_clicked(int k);
    void photo_double_clicked(int k);
    void files_dropped(int k, const QStringList& paths);
    void show_cover_window();
    void show_options();
    void show_zoom();
    void new_album_started();
    // The user's settings as the options window stored them.
    void apply_preferences();

    Dialogs& messages;
    Album albumData;
    PhotoLoader loader;

    PageView* page = nullptr;
    CommandSet* commandSet = nullptr;
    QPointer<CoverDialog> cover;
    QPointer<ZoomWindow> zoom;
    QPointer<OptionsDialog> options;
    std::unique_ptr<FileCommands> files;
    std::unique_ptr<PhotoCommands> photos;
    std::unique_ptr<PrintCommands> printing;
    CaptionCommands* captions = nullptr;
    CsvExchange* csv = nullptr;
    AlbumTools* wholeAlbum = nullptr;
    InfoCommands* info = nullptr;
    DeliveryCommands* delivery = nullptr;
    PagePrefetcher* prefetch = nullptr;
    PhotoRecords* records = nullptr;
};

} // namespace zk
