#pragma once

#include "model/document.h"
#include "model/preferences.h"
#include "photos/photoloader.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class QLineEdit;

namespace zk {

class CommandSet;
class CoverDialog;
class Dialogs;
class FileCommands;
class OptionsDialog;
class PagePrefetcher;
class PageSpinner;
class PreCheck;
class PhotoCommands;
class PrintCommands;
class SlotView;
class ZoomWindow;

// The album's main window: one page of three photo slotViews, the page control,
// the menus and the tool bar. It owns the open document and the window-level
// state (selected slot, saved flag, write-back flag); the commands in the
// other subsystems work on the document through the operations below.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The cover data of a new album; asked again for every new document.
    using CoverDefaults = std::function<CoverData()>;

    MainWindow(Dialogs& dialogs, CoverDefaults coverDefaults, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The cover data window, shown modally as start-up ends.
    void show_cover_modal();

    Document& document() { return album; }
    EntryTable& entries() { return album.entries; }
    Dialogs& dialogs() { return messages; }
    PhotoLoader& photoLoader() { return loader; }
    SlotView& slot(int k) { return *slotViews.at(size_t(k)); }
    CoverDialog* coverWindow() const;
    ZoomWindow* zoomWindow() const;
    PageSpinner* pageControl() { return spinner; }
    CommandSet& commands() { return *commandSet; }
    FileCommands& fileCommands() { return *files; }
    PhotoCommands& photoCommands() { return *photos; }
    PrintCommands& printCommands() { return *printing; }

    int current_page() const;
    int highest_page() const;
    // The page number as the page-number box shows it.
    int shown_page_number() const;
    int selected_slot() const { return selected; }
    bool saved() const { return savedFlag; }
    // The cover data of a new album, as of now.
    CoverData fresh_cover() const { return coverDefaults(); }
    void set_saved(bool saved) { savedFlag = saved; }

    // Fills the three slotViews from the entries of the current page.
    void show_page();
    void mark_selected_slot(int k);
    // Makes k the selected slot and marks it.
    void select_slot(int k);
    // Appends a page of three empty entries. At the size limit nothing grows
    // and the user is told so; returns whether the page was added.
    bool grow_page();
    // Replaces the whole album (open, new) and shows its first page.
    void replace_document(Document document);
    // Discards the cover window and creates it again for the current cover.
    void renew_cover_window();
    // The zoom window, created when it does not exist.
    ZoomWindow* ensure_zoom_window();

    void insert_line();
    void extract_line();

    // The size of a slot's photo in device pixels, at which it is decoded.
    QSize slotPictureSize() const;

    // The user's settings; applied at once and kept in file when it is not "".
    const Preferences& preferences() const { return prefs; }
    void use_preferences(const Preferences& preferences, const QString& file = {});
    PhotoFit photo_fit() const;
    // While deferred, pages are shown without decoding their photos (start-up:
    // the cover window comes first); ending it shows the page's photos.
    void set_photos_deferred(bool deferred);
    PagePrefetcher& prefetcher() { return *prefetch; }
    PreCheck& preCheck() { return *check; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void connectCommands();
    void Text4_Change();
    void Text2_Change(int k);
    void Text3_Change(int k);
    void page_changed(int page);
    void Image1_MouseUp(int k, Qt::MouseButton button, const QPoint& globalPosition);
    void Image1_Click(int k);
    void Image1_DblClick(int k);
    void Toolbar1_ButtonClick(const QString& key);
    void file_header_Click();
    void option_edit_Click();
    void version_menu_Click();
    void zoom_photo_Click();
    void print_preview_Click();

    Dialogs& messages;
    CoverDefaults coverDefaults;
    Document album;
    PhotoLoader loader;

    int selected = 0;
    bool savedFlag = true;
    bool writeBack = false;

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
    Preferences prefs;
    QString prefsFile;
    bool photosDeferred = false;
    PagePrefetcher* prefetch = nullptr;
    PreCheck* check = nullptr;
};

} // namespace zk
