#include "mainwindow.h"

#include "app/albumtools.h"
#include "app/commandset.h"
#include "app/dialogs.h"
#include "app/pagespinner.h"
#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "app/twips.h"
#include "app/zoomwindow.h"
#include "cover/coverdialog.h"
#include "docfile/filecommands.h"
#include "model/leadingnumber.h"
#include "photos/photocommands.h"
#include "print/printcommands.h"
#include "ui/aboutbox.h"
#include "ui/optionsdialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QToolBar>

namespace zk {

namespace {

const QColor selectedFrame(80, 80, 192);
const QColor otherFrame(192, 192, 192);

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, CoverDefaults defaults, QWidget* parent)
    : QMainWindow(parent), messages(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    files = std::make_unique<FileCommands>(albumData, dialogs, std::move(defaults), this);
    photos = std::make_unique<PhotoCommands>(albumData, dialogs, loader, this);
    printing = std::make_unique<PrintCommands>(albumData, dialogs, this, [this] {
        ScreenPage shown;
        shown.page = current_page();
        for (SlotView* s : slotViews)
            shown.pictures.at(size_t(s->index())) = s->photoBox()->picture();
        return shown;
    });
    photos->setPictureSize(slotPictureSize());
    // Batch import, overview and relinking: the window only tells where the user is.
    wholeAlbum = new AlbumTools(this, albumData, dialogs, loader,
        { [this] { return selected_position(); }, [this](int p) { step_shown(p); } });
    connectCommands();
    connectAlbum();

    // Start-up: the boxes are filled before write-back begins, so that
    // nothing is written into an album that does not exist yet.
    writeBack = false;
    setWindowTitle(QStringLiteral("Zelkora"));
    for (SlotView* s : slotViews) {
        s->setNumberLabel(QStringLiteral("No."));
        s->setTitle({});
        s->setText({});
    }
    selected = 0;
    mark_selected_slot(0);
    pageNumberBox->setText(QStringLiteral("1"));
    writeBack = true;
    Document fresh;
    fresh.entries.reset_table();
    fresh.cover = files->fresh_cover();
    albumData.replace_document(std::move(fresh), {});
    renew_cover_window();
}

MainWindow::~MainWindow() = default;

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

    for (int k = 0; k < 3; ++k)
        slotViews[size_t(k)] = new SlotView(k, client);

    pageNumberBox = new QLineEdit(client);
    pageNumberBox->setObjectName(QStringLiteral("Text4"));
    pageNumberBox->setReadOnly(true);
    pageNumberBox->setAlignment(Qt::AlignRight);
    pageNumberBox->setGeometry(twips(4080, 100, 480, 270));
    spinner = new PageSpinner(client);
    spinner->setObjectName(QStringLiteral("UpDown1"));
    spinner->setGeometry(twips(4560, 100, 840, 270));

    // Keyboard order: the slots top to bottom, then the page controls.
    QWidget* previous = nullptr;
    for (SlotView* s : slotViews) {
        for (QWidget* w : { static_cast<QWidget*>(s->numberBox()),
                 static_cast<QWidget*>(s->titleBox()), static_cast<QWidget*>(s->textBox()) }) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
            // Menu shortcuts win over the boxes' own editing keys.
            w->installEventFilter(this);
        }
    }
    setTabOrder(previous, pageNumberBox);
    setTabOrder(pageNumberBox, spinner);
    pageNumberBox->installEventFilter(this);
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
    connect(on("print_menu"), &QAction::triggered, printing.get(),
        &PrintCommands::print_menu_Click);
    connect(on("print_setting"), &QAction::triggered, printing.get(),
        &PrintCommands::print_setting_Click);
    connect(on("oneprint_menu"), &QAction::triggered, printing.get(), &PrintCommands::print_page);
    connect(on("batch_import_menu"), &QAction::triggered, wholeAlbum,
        [this] { wholeAlbum->batch_import(); });
    connect(on("overview_menu"), &QAction::triggered, wholeAlbum, &AlbumTools::show_overview);
    connect(on("relink_menu"), &QAction::triggered, wholeAlbum, &AlbumTools::relink_photos);
    connect(on("load_image_menu"), &QAction::triggered, this,
        [this] { photos->load_image(selected_position()); });
    connect(on("delete_image_menu"), &QAction::triggered, this,
        [this] { photos->delete_image(selected_position()); });
    for (int k = 0; k < 3; ++k) {
        connect(on(qPrintable(QStringLiteral("select_slot_%1").arg(k + 1))), &QAction::triggered,
            this, [this, k] {
                select_slot(k);
                slot(k).titleBox()->setFocus(Qt::ShortcutFocusReason);
            });
    }
    commandSet->followUndoStack(albumData.undoStack());
    connect(photos.get(), &PhotoCommands::finished, this, &MainWindow::go_to_title);
    connect(files.get(), &FileCommands::newAlbumStarted, this, &MainWindow::new_album_started);

    // Page control and slots
    connect(spinner, &PageSpinner::valueChanged, this, &MainWindow::page_changed);
    connect(pageNumberBox, &QLineEdit::textChanged, this, &MainWindow::page_number_shown);
    for (SlotView* s : slotViews) {
        const int k = s->index();
        connect(s, &SlotView::titleChanged, this, &MainWindow::title_edited);
        connect(s, &SlotView::textChanged, this, &MainWindow::text_edited);
        connect(s->photoBox(), &PhotoBox::released, this,
            [this, k](Qt::MouseButton b, const QPoint& at) { photo_released(k, b, at); });
        connect(s->photoBox(), &PhotoBox::clicked, this, [this, k] { photo_clicked(k); });
        connect(s->photoBox(), &PhotoBox::doubleClicked, this,
            [this, k] { photo_double_clicked(k); });
        // Handled after the drag has ended, so messages do not hold up the drag source.
        connect(
            s->photoBox(), &PhotoBox::filesDropped, this,
            [this, k](const QStringList& paths) { files_dropped(k, paths); },
            Qt::QueuedConnection);
    }
}

void MainWindow::connectAlbum()
{
    // The views follow the album
    connect(&albumData, &Album::entriesChanged, this, &MainWindow::entries_changed);
    connect(&albumData, &Album::pageCountChanged, this, [this](int pages) {
        const QScopedValueRollback guard(followingAlbum, true);
        spinner->setMaximum(pages);
    });
    connect(&albumData, &Album::documentReplaced, this, [this] {
        const QScopedValueRollback guard(followingAlbum, true);
        spinner->setMaximum(albumData.entries().page_count());
        if (spinner->value() != 1)
            spinner->setValue(1); // shows page 1
        else
            show_page();
        pageNumberBox->setText(QStringLiteral("1"));
    });
    connect(&albumData, &Album::stepShown, this, &MainWindow::step_shown);
    connect(&albumData, &Album::savedChanged, this,
        [this](bool saved) { setWindowModified(!saved); });
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

int MainWindow::current_page() const
{
    return spinner->value();
}

int MainWindow::highest_page() const
{
    return spinner->maximum();
}

int MainWindow::selected_position() const
{
    return entry_index(current_page(), selected);
}

QSize MainWindow::slotPictureSize() const
{
    return slotViews[0]->photoBox()->size() * devicePixelRatio();
}

void MainWindow::show_slot(int k)
{
    SlotView* s = slotViews.at(size_t(k));
    const Entry& entry = albumData.entries().entry(entry_index(current_page(), k));
    const QScopedValueRollback guard(followingAlbum, true);
    s->setNumberLabel(QStringLiteral("No.") + entry.number);
    s->setTitle(entry.title);
    s->setText(entry.text);
    const Picture picture = loader.load(entry.image, slotPictureSize());
    if (picture.ok())
        s->photoBox()->setPicture(picture.image);
    else
        s->photoBox()->showUnreadable(entry.image);
}

void MainWindow::show_page()
{
    for (int k = 0; k < 3; ++k)
        show_slot(k);
}

void MainWindow::mark_selected_slot(int k)
{
    for (SlotView* s : slotViews)
        s->frame()->setBorderColor(otherFrame);
    slotViews.at(size_t(k))->frame()->setBorderColor(selectedFrame);
}

void MainWindow::select_slot(int k)
{
    selected = k;
    mark_selected_slot(k);
}

void MainWindow::renew_cover_window()
{
    delete cover;
    cover = new CoverDialog(albumData, this);
}

ZoomWindow* MainWindow::ensure_zoom_window()
{
    if (!zoom)
        zoom = new ZoomWindow(loader, this);
    return zoom;
}

void MainWindow::page_number_shown()
{
    // The number boxes follow the page number at once.
    const double page = leading_number(pageNumberBox->text());
    for (SlotView* s : slotViews) {
        const double n = (page - 1) * 3 + (s->index() + 1);
        s->setNumberLabel(QStringLiteral("No.") + number_text(qint64(n)));
    }
}

void MainWindow::page_changed(int page)
{
    albumData.end_typing();
    if (!followingAlbum) {
        // Paging to a page whose titles or texts differ counts as an edit for
        // the quit prompt, as it always has; it is no step to undo.
        bool differs = false;
        for (SlotView* s : slotViews) {
            const Entry& e = albumData.entries().entry(entry_index(page, s->index()));
            differs = differs || e.title != s->title() || e.text != s->text();
        }
        if (differs)
            albumData.mark_unsaved();
    }
    pageNumberBox->setText(QString::number(page));
    show_page();
}

void MainWindow::title_edited(int k)
{
    if (writeBack && !followingAlbum)
        albumData.set_title(entry_index(current_page(), k), slot(k).title());
}

void MainWindow::text_edited(int k)
{
    if (writeBack && !followingAlbum)
        albumData.set_text(entry_index(current_page(), k), slot(k).text());
}

void MainWindow::insert_line()
{
    // A full last entry makes the album grow by a page; at the size limit
    // the insert is refused rather than pushing the last entry out.
    if (!albumData.insert_place(selected_position())) {
        messages.inform(this,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ).")
                .arg(EntryTable::MaxEntries / 3));
    }
}

void MainWindow::extract_line()
{
    albumData.take_out(selected_position());
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
    selected = k;
    photos->load_image(entry_index(current_page(), k));
}

void MainWindow::files_dropped(int k, const QStringList& paths)
{
    // One file selects the slot, even when it turns out to be no picture.
    if (paths.size() == 1)
        select_slot(k);
    photos->drop_files(entry_index(current_page(), k), paths);
}

void MainWindow::go_to_title(int position)
{
    const int first = entry_index(current_page(), 0);
    if (position >= first && position < first + 3)
        slot(position - first).titleBox()->setFocus();
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
    if (!options)
        options = new OptionsDialog(messages, this);
    options->show();
    options->raise();
    options->activateWindow();
}

void MainWindow::show_zoom()
{
    ZoomWindow* window = ensure_zoom_window();
    window->setPhoto(albumData.entries().get_field(selected_position(), EntryField::Image));
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void MainWindow::entries_changed(int first, int last)
{
    for (int k = 0; k < 3; ++k) {
        const int i = entry_index(current_page(), k);
        if (i >= first && i <= last)
            show_slot(k);
    }
}

void MainWindow::step_shown(int position)
{
    // An undo or redo shows where it changed the album and selects that slot.
    if (position < 1 || position > albumData.entries().entry_count())
        return;
    const QScopedValueRollback guard(followingAlbum, true);
    const int page = (position - 1) / 3 + 1;
    if (page != current_page())
        spinner->setValue(page);
    select_slot((position - 1) % 3);
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
    // Leaving a box ends its typing step.
    if (event->type() == QEvent::FocusOut)
        albumData.end_typing();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zk
