#include "mainwindow.h"

#include "app/captioncommands.h"
#include "app/albumtools.h"
#include "app/commandset.h"
#include "ui/dialogs.h"
#include "app/pageprefetcher.h"
#include "app/pagespinner.h"
#include "app/pageview.h"
#include "app/photobox.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "ui/twips.h"
#include "app/zoomwindow.h"
#include "app/precheck.h"
#include "ui/coverdialog.h"
#include "app/csvexchange.h"
#include "app/deliverycommands.h"
#include "app/filecommands.h"
#include "app/infocommands.h"
#include "model/preferences.h"
#include "app/photocommands.h"
#include "app/photorecords.h"
#include "app/printcommands.h"
#include "ui/aboutbox.h"
#include "ui/optionsdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolBar>

namespace zk {

MainWindow::MainWindow(Dialogs& dialogs, CoverDefaults defaults, QWidget* parent)
    : QMainWindow(parent), messages(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    // Before the page, which hands it the photos to decode.
    prefetch = new PagePrefetcher(loader, this);
    buildWindow();
    files = std::make_unique<FileCommands>(albumData, dialogs, std::move(defaults), this);
    photos = std::make_unique<PhotoCommands>(albumData, dialogs, loader, this);
    printing = std::make_unique<PrintCommands>(albumData, dialogs, this, [this] {
        ScreenPage shown;
        shown.page = current_page();
        for (int k = 0; k < 3; ++k)
            shown.pictures.at(size_t(k)) = slot(k).photoBox()->picture();
        return shown;
    });
    photos->setPictureSize(slotPictureSize());
    // Batch import, overview and relinking: the window only tells where the user is.
    info = new InfoCommands(albumData, dialogs, this, [this] { return page->selected_position(); });
    wholeAlbum = new AlbumTools(this, albumData, dialogs, loader, *info,
        { [this] { return page->selected_position(); },
            [this](int p) {
                page->pageControl()->setValue(page_of_entry(p));
                page->select_slot(slot_of_entry(p));
            },
            { commandSet->action(QStringLiteral("edit_undo")),
                commandSet->action(QStringLiteral("edit_redo")) } });
    records = new PhotoRecords(albumData, this);
    connectCommands();

    Document fresh;
    fresh.entries.reset_table();
    fresh.cover = files->fresh_cover();
    albumData.replace_document(std::move(fresh), {});
    // Only now, with an album to show, may the photos' fit show the page anew.
    apply_preferences();
    renew_cover_window();
    show_title();
}

MainWindow::~MainWindow()
{
    // The prefetcher writes into the loader's cache: it stops first.
    delete prefetch;
}

void MainWindow::show_title()
{
    // "site.zkr* - Zelkora" while unsaved; a new album shows just the
    // program until it is changed, then "無題* - Zelkora".
    const QString path = albumData.filePath();
    const bool saved = albumData.saved();
    setWindowFilePath(path);
    const QString readOnly
        = files && files->readOnly() ? QStringLiteral(" [読み取り専用]") : QString();
    if (!path.isEmpty())
        setWindowTitle(QFileInfo(path).fileName() + QStringLiteral("[*]") + readOnly
            + QStringLiteral(" - Zelkora"));
    else
        setWindowTitle(saved ? QStringLiteral("Zelkora") : QStringLiteral("無題[*] - Zelkora"));
    setWindowModified(!saved);
}

void MainWindow::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icons/zelkora.xpm")));

    auto* client = new QWidget(this);
    client->setFixedSize(twips(8265), twips(8520));
    setCentralWidget(client);
    // The window keeps its size; it can only be minimised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    commandSet = new CommandSet(this, client);
    commandSet->toolBar()->setGeometry(twips(0, 0, 8265, 420));

    auto* rule = new QFrame(client);
    rule->setObjectName(QStringLiteral("Line1"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setGeometry(0, twips(480), twips(8160) + 1, 1);

    page = new PageView(albumData, loader, *prefetch, client);
    // Menu shortcuts win over the boxes' own editing keys.
    for (int k = 0; k < 3; ++k) {
        slot(k).titleBox()->installEventFilter(this);
        slot(k).textBox()->installEventFilter(this);
        slot(k).numberBox()->installEventFilter(this);
    }
    page->pageNumberBox()->installEventFilter(this);
}

void MainWindow::connectCommands()
{
    // Menu items and tool-bar buttons (one action each)
    const std::pair<const char*, void (MainWindow::*)()> handlers[] = {
        { "file_header", &MainWindow::show_cover_window },
        { "option_edit", &MainWindow::show_options },
        { "input_line", &MainWindow::insert_line },
        { "delete_line", &MainWindow::extract_line },
        { "zoom_photo", &MainWindow::show_zoom },
    };
    for (const auto& [name, handler] : handlers)
        connect(commandSet->action(QLatin1String(name)), &QAction::triggered, this, handler);
    const auto on = [this](const char* name) { return commandSet->action(QLatin1String(name)); };
    connect(on("version_menu"), &QAction::triggered, this, [this] { show_about(messages, this); });
    // Closing runs the quit prompt of closeEvent, as the close box does.
    connect(on("end_menu"), &QAction::triggered, this, &QWidget::close);
    connect(on("file_new"), &QAction::triggered, files.get(), &FileCommands::new_album);
    connect(on("file_open"), &QAction::triggered, files.get(), &FileCommands::open_album);
    connect(on("file_save"), &QAction::triggered, files.get(), &FileCommands::save_album);
    connect(
        on("print_menu"), &QAction::triggered, printing.get(), &PrintCommands::print_menu_Click);
    connect(on("print_setting"), &QAction::triggered, printing.get(),
        &PrintCommands::print_setting_Click);
    connect(on("oneprint_menu"), &QAction::triggered, printing.get(), &PrintCommands::print_page);
    connect(on("batch_import_menu"), &QAction::triggered, wholeAlbum,
        [this] { wholeAlbum->batch_import(); });
    connect(on("overview_menu"), &QAction::triggered, wholeAlbum, &AlbumTools::show_overview);
    connect(on("relink_menu"), &QAction::triggered, wholeAlbum, &AlbumTools::relink_photos);
    connect(on("reread_info"), &QAction::triggered, wholeAlbum, [this] { wholeAlbum->reread_info(); });
    connect(on("print_preview"), &QAction::triggered, printing.get(),
        [this] { printing->print_preview(); });
    connect(on("album_check"), &QAction::triggered, &printing->preCheck(), &PreCheck::check_album);
    connect(&printing->preCheck(), &PreCheck::entryChosen, page, &PageView::show_entry);
    connect(on("load_image_menu"), &QAction::triggered, this,
        [this] { photos->load_image(page->selected_position()); });
    connect(on("delete_image_menu"), &QAction::triggered, this,
        [this] { photos->delete_image(page->selected_position()); });
    for (int k = 0; k < 3; ++k) {
        connect(on(qPrintable(QStringLiteral("select_slot_%1").arg(k + 1))), &QAction::triggered,
            this, [this, k] {
                select_slot(k);
                slot(k).titleBox()->setFocus(Qt::ShortcutFocusReason);
            });
    }
    commandSet->followUndoStack(albumData.undoStack());
    // Captions: phrases, the previous caption, 一括入力 and CSV exchange
    captions = new CaptionCommands(
        albumData, messages, this, [this] { return page->selected_position(); });
    csv = new CsvExchange(albumData, messages, this);
    connect(on("insert_phrase"), &QAction::triggered, captions,
        [this] { captions->insert_phrase(slot(selected_slot()).titleBox()); });
    connect(
        on("same_as_previous"), &QAction::triggered, captions, &CaptionCommands::same_as_previous);
    connect(
        on("bulk_caption"), &QAction::triggered, captions, [this] { captions->bulk_caption(); });
    connect(on("photo_info"), &QAction::triggered, info, [this] { info->edit_info(); });
    connect(on("csv_export"), &QAction::triggered, csv, &CsvExchange::csv_export);
    connect(on("csv_import"), &QAction::triggered, csv, &CsvExchange::csv_import);
    connect(files.get(), &FileCommands::newAlbumStarted, this, &MainWindow::new_album_started);
    connect(files.get(), &FileCommands::readOnlyChanged, this, &MainWindow::show_title);
    // The photos' records: taken as photos are placed, complete in every save
    connect(photos.get(), &PhotoCommands::photoPlaced, records, &PhotoRecords::photo_placed);
    connect(files.get(), &FileCommands::aboutToSave, records, &PhotoRecords::settle);
    // Electronic delivery: the PHOTO folder and its check
    delivery = new DeliveryCommands(albumData, messages, this, this);
    connect(on("delivery_export"), &QAction::triggered, delivery, &DeliveryCommands::export_delivery);
    connect(on("delivery_check"), &QAction::triggered, delivery, &DeliveryCommands::check_delivery);
    connect(delivery, &DeliveryCommands::entryChosen, page, &PageView::show_entry);

    // The page on screen and the album
    connect(page, &PageView::photoReleased, this, &MainWindow::photo_released);
    connect(page, &PageView::photoClicked, this, &MainWindow::photo_clicked);
    connect(page, &PageView::photoDoubleClicked, this, &MainWindow::photo_double_clicked);
    connect(page, &PageView::filesDropped, this, &MainWindow::files_dropped);
    connect(photos.get(), &PhotoCommands::finished, page, &PageView::focus_title);
    // The neighbour pages' photos, decoded while the user looks at this one;
    // queued, so that they start once the window has drawn the page.
    connect(
        page, &PageView::pageShown, prefetch,
        [this](int shown) {
            if (shown == current_page() && !page->photosPending())
                prefetch->page_shown(
                    albumData.entries(), shown, slotPictureSize(), page->photoFit());
        },
        Qt::QueuedConnection);
    connect(&albumData, &Album::savedChanged, this, &MainWindow::show_title);
    connect(&albumData, &Album::filePathChanged, this, &MainWindow::show_title);
}

void MainWindow::show_cover_modal()
{
    if (!cover)
        renew_cover_window();
    cover->exec();
}

CoverDialog* MainWindow::coverWindow() const
{
    return cover;
}

ZoomWindow* MainWindow::zoomWindow() const
{
    return zoom;
}

SlotView& MainWindow::slot(int k)
{
    return page->slot(k);
}

PageSpinner* MainWindow::pageControl()
{
    return page->pageControl();
}

int MainWindow::current_page() const
{
    return page->current_page();
}

int MainWindow::highest_page() const
{
    return page->highest_page();
}

int MainWindow::selected_slot() const
{
    return page->selected_slot();
}

void MainWindow::select_slot(int k)
{
    page->select_slot(k);
}

void MainWindow::show_page()
{
    page->show_page();
}

QSize MainWindow::slotPictureSize() const
{
    return page->slotPictureSize();
}

void MainWindow::set_photos_deferred(bool deferred)
{
    page->setPhotosDeferred(deferred);
}

void MainWindow::prefetch_current_page()
{
    prefetch->prefetch_page(
        albumData.entries(), current_page(), slotPictureSize(), page->photoFit());
}

void MainWindow::apply_preferences()
{
    const Preferences preferences = Preferences::load();
    const PhotoFit fit = preferences.keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch;
    photos->setPictureFit(fit);
    if (zoom)
        zoom->setKeepShape(preferences.keepPhotoShape);
    // The cover window names the era the user chose.
    if (cover)
        cover->setEra(preferences.era);
    page->setPhotoFit(fit);
}

void MainWindow::renew_cover_window()
{
    delete cover;
    cover = new CoverDialog(albumData, this);
    cover->setEra(Preferences::load().era);
}

ZoomWindow* MainWindow::ensure_zoom_window()
{
    if (!zoom) {
        zoom = new ZoomWindow(loader, this);
        zoom->setKeepShape(page->photoFit() == PhotoFit::KeepShape);
    }
    return zoom;
}

void MainWindow::insert_line()
{
    // A full last entry makes the album grow by a page; at the size limit
    // the insert is refused rather than pushing the last entry out.
    if (!albumData.insert_place(page->selected_position())) {
        messages.inform(this,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ).")
                .arg(EntryTable::MaxEntries / 3));
    }
}

void MainWindow::extract_line()
{
    albumData.take_out(page->selected_position());
}

void MainWindow::photo_released(int k, Qt::MouseButton button, const QPoint& globalPosition)
{
    if (button == Qt::LeftButton) {
        select_slot(k);
        slot(k).titleBox()->setFocus(Qt::MouseFocusReason);
    } else if (button == Qt::RightButton) {
        select_slot(k);
        commandSet->editMenu()->exec(globalPosition);
        slot(k).titleBox()->setFocus(Qt::PopupFocusReason);
    }
}

void MainWindow::photo_clicked(int k)
{
    const int i = entry_index(current_page(), k);
    ensure_zoom_window()->setPhoto(albumData.entries().get_field(i, EntryField::Image));
}

void MainWindow::photo_double_clicked(int k)
{
    page->select_slot(k); // the release of the first click has marked it already
    photos->load_image(entry_index(current_page(), k));
}

void MainWindow::files_dropped(int k, const QStringList& paths)
{
    // One file selects the slot, even when it turns out to be no picture.
    if (paths.size() == 1)
        select_slot(k);
    photos->drop_files(entry_index(current_page(), k), paths);
}

void MainWindow::show_cover_window()
{
    if (!cover)
        renew_cover_window();
    cover->show();
    cover->raise();
    cover->activateWindow();
    // Opening the cover window counts as an edit.
    albumData.mark_touched(QStringLiteral("表紙の表示"));
}

void MainWindow::show_options()
{
    if (!options) {
        options = new OptionsDialog(messages, this, [this] { return info->photo_rows(); });
        connect(options, &OptionsDialog::settingsApplied, this, &MainWindow::apply_preferences);
    }
    options->show();
    options->raise();
    options->activateWindow();
}

void MainWindow::show_zoom()
{
    ZoomWindow* window = ensure_zoom_window();
    window->setPhoto(albumData.entries().get_field(page->selected_position(), EntryField::Image));
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void MainWindow::new_album_started()
{
    select_slot(0);
    renew_cover_window();
    show_cover_modal();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!albumData.saved()) {
        const Answer answer = messages.message(this,
            { QStringLiteral("終了しますか？"), QStringLiteral("Zelkora"), MessageIcon::None,
                MessageButtons::YesNo, Answer::Yes });
        if (answer != Answer::Yes) {
            event->ignore();
            return;
        }
    }
    // Every other window of the program goes with the main window.
    delete zoom;
    delete cover;
    delete options;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w != this && w->isVisible())
            w->close();
    }
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A text box takes Shift+Insert, Shift+Delete, Ctrl+Z and other keys as
    // its own; the album's commands come first, as users expect.
    if (event->type() == QEvent::ShortcutOverride
        && commandSet->isMenuShortcut(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zk
