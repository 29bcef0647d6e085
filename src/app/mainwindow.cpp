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
#include "docfile/phrasefile.h"
#include "docfile/worktypefile.h"
#include "model/usersettings.h"
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

MainWindow::MainWindow(
    Dialogs& dialogs, UserSettings& userSettings, CoverDefaults defaults, QWidget* parent)
    : QMainWindow(parent), messages(dialogs), settings(userSettings)
{
    setObjectName(QStringLiteral("Form1"));
    // Before the page, which hands it the photos to decode.
    prefetch = new PagePrefetcher(loader, this);
    buildWindow();
    files = std::make_unique<FileCommands>(albumData, dialogs, std::move(defaults), this);
    photos = std::make_unique<PhotoCommands>(albumData, dialogs, loader, this);
    printing = std::make_unique<PrintCommands>(albumData, settings, dialogs, this, [this] {
        ScreenPage shown;
        shown.page = page->current_page();
        for (int k = 0; k < 3; ++k)
            shown.pictures.at(size_t(k)) = page->slot(k).photoBox()->picture();
        return shown;
    });
    photos->setPictureSize(page->slotPictureSize());
    // Batch import, overview and relinking: the window only tells where the user is.
    info = new InfoCommands(albumData, dialogs, this, [this] { return page->selected_position(); },
        settings.userFile(QLatin1String(WorkTypeFile::FileName)));
    wholeAlbum = new AlbumTools(this, albumData, settings, dialogs, loader, *info,
        { [this] { return page->selected_position(); },
            [this](int p) {
                page->pageControl()->setValue(page_of_entry(p));
                page->select_slot(slot_of_entry(p));
            },
            { commandSet->action(Command::Undo), commandSet->action(Command::Redo) } });
    records = new PhotoRecords(albumData, this);
    connectCommands();

    files->start_blank();
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
        page->slot(k).titleBox()->installEventFilter(this);
        page->slot(k).textBox()->installEventFilter(this);
        page->slot(k).numberBox()->installEventFilter(this);
    }
    page->pageNumberBox()->installEventFilter(this);
}

void MainWindow::connectCommands()
{
    // Menu items and tool-bar buttons (one action each)
    CommandSet& c = *commandSet;
    c.handle(Command::Cover, this, &MainWindow::show_cover_window);
    c.handle(Command::Options, this, &MainWindow::show_options);
    c.handle(Command::InsertLine, this, &MainWindow::insert_line);
    c.handle(Command::ExtractLine, this, &MainWindow::extract_line);
    c.handle(Command::Zoom, this, &MainWindow::show_zoom);
    c.handle(Command::About, this, [this] { show_about(messages, this); });
    // Closing runs the quit prompt of closeEvent, as the close box does.
    c.handle(Command::Quit, this, &QWidget::close);
    c.handle(Command::NewAlbum, files.get(), &FileCommands::new_album);
    c.handle(Command::OpenAlbum, files.get(), &FileCommands::open_album);
    c.handle(Command::SaveAlbum, files.get(), &FileCommands::save_album);
    c.handle(Command::Print, printing.get(), &PrintCommands::print_album);
    c.handle(Command::PrinterSetup, printing.get(), &PrintCommands::choose_printer);
    c.handle(Command::PrintPage, printing.get(), &PrintCommands::print_page);
    c.handle(Command::BatchImport, wholeAlbum, [this] { wholeAlbum->batch_import(); });
    c.handle(Command::Overview, wholeAlbum, &AlbumTools::show_overview);
    c.handle(Command::Relink, wholeAlbum, &AlbumTools::relink_photos);
    c.handle(Command::RereadInfo, wholeAlbum, [this] { wholeAlbum->reread_info(); });
    c.handle(Command::PrintPreview, printing.get(), [this] { printing->print_preview(); });
    c.handle(Command::AlbumCheck, &printing->preCheck(), &PreCheck::check_album);
    connect(&printing->preCheck(), &PreCheck::entryChosen, page, &PageView::show_entry);
    c.handle(Command::LoadImage, this, [this] { photos->load_image(page->selected_position()); });
    c.handle(
        Command::DeleteImage, this, [this] { photos->delete_image(page->selected_position()); });
    const Command selectSlot[]
        = { Command::SelectSlot1, Command::SelectSlot2, Command::SelectSlot3 };
    for (int k = 0; k < 3; ++k) {
        c.handle(selectSlot[k], this, [this, k] {
            page->select_slot(k);
            page->slot(k).titleBox()->setFocus(Qt::ShortcutFocusReason);
        });
    }
    commandSet->followUndoStack(albumData.undoStack());
    // Captions: phrases, the previous caption, 一括入力 and CSV exchange
    captions = new CaptionCommands(albumData, messages, this,
        [this] { return page->selected_position(); },
        settings.userFile(QLatin1String(PhraseFile::FileName)));
    csv = new CsvExchange(albumData, messages, this);
    c.handle(Command::InsertPhrase, captions,
        [this] { captions->insert_phrase(page->slot(page->selected_slot()).titleBox()); });
    c.handle(Command::SameAsPrevious, captions, &CaptionCommands::same_as_previous);
    c.handle(Command::BulkCaption, captions, [this] { captions->bulk_caption(); });
    c.handle(Command::PhotoInfo, info, [this] { info->edit_info(); });
    c.handle(Command::CsvExport, csv, &CsvExchange::csv_export);
    c.handle(Command::CsvImport, csv, &CsvExchange::csv_import);
    connect(files.get(), &FileCommands::newAlbumStarted, this, &MainWindow::new_album_started);
    connect(files.get(), &FileCommands::readOnlyChanged, this, &MainWindow::show_title);
    // The photos' records: taken as photos are placed, complete in every save
    connect(photos.get(), &PhotoCommands::photoPlaced, records, &PhotoRecords::photo_placed);
    connect(files.get(), &FileCommands::aboutToSave, records, &PhotoRecords::settle);
    // Electronic delivery: the PHOTO folder and its check
    delivery = new DeliveryCommands(albumData, settings, messages, this, this);
    c.handle(Command::DeliveryExport, delivery, &DeliveryCommands::export_delivery);
    c.handle(Command::DeliveryCheck, delivery, &DeliveryCommands::check_delivery);
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
            if (shown == page->current_page() && !page->photosPending())
                prefetch->page_shown(
                    albumData.entries(), shown, page->slotPictureSize(), page->photoFit());
        },
        Qt::QueuedConnection);
    connect(&albumData, &Album::savedChanged, this, &MainWindow::show_title);
    connect(&albumData, &Album::filePathChanged, this, &MainWindow::show_title);
    // A setting changed in the options window shows at once.
    connect(&settings, &UserSettings::changed, this, &MainWindow::apply_preferences);
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

void MainWindow::prefetch_current_page()
{
    prefetch->prefetch_page(
        albumData.entries(), page->current_page(), page->slotPictureSize(), page->photoFit());
}

void MainWindow::apply_preferences()
{
    const Preferences& preferences = settings.preferences();
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
    cover->setEra(settings.preferences().era);
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
        page->select_slot(k);
        page->slot(k).titleBox()->setFocus(Qt::MouseFocusReason);
    } else if (button == Qt::RightButton) {
        page->select_slot(k);
        commandSet->editMenu()->exec(globalPosition);
        page->slot(k).titleBox()->setFocus(Qt::PopupFocusReason);
    }
}

void MainWindow::photo_clicked(int k)
{
    const int i = entry_index(page->current_page(), k);
    ensure_zoom_window()->setPhoto(albumData.entries().get_field(i, EntryField::Image));
}

void MainWindow::photo_double_clicked(int k)
{
    page->select_slot(k); // the release of the first click has marked it already
    photos->load_image(entry_index(page->current_page(), k));
}

void MainWindow::files_dropped(int k, const QStringList& paths)
{
    // One file selects the slot, even when it turns out to be no picture.
    if (paths.size() == 1)
        page->select_slot(k);
    photos->drop_files(entry_index(page->current_page(), k), paths);
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
        options = new OptionsDialog(messages, settings, this, [this] { return info->photo_rows(); });
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
    page->select_slot(0);
    renew_cover_window();
    show_cover_modal();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!albumData.saved()) {
        // Fixed text: the full-width ？ and the title are the program's own.
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
