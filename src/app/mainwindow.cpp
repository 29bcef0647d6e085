#include "mainwindow.h"

#include "app/commandset.h"
#include "app/dialogs.h"
#include "app/pageprefetcher.h"
#include "app/pagespinner.h"
#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "app/twips.h"
#include "app/zoomwindow.h"
#include "check/precheck.h"
#include "cover/coverdialog.h"
#include "docfile/filecommands.h"
#include "model/leadingnumber.h"
#include "photos/photocommands.h"
#include "print/printcommands.h"
#include "print/printpreview.h"
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
#include <QToolBar>

namespace zk {

namespace {

const QColor selectedFrame(80, 80, 192);
const QColor otherFrame(192, 192, 192);

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, CoverDefaults defaults, QWidget* parent)
    : QMainWindow(parent), messages(dialogs), coverDefaults(std::move(defaults))
{
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    files = std::make_unique<FileCommands>(*this);
    photos = std::make_unique<PhotoCommands>(*this);
    printing = std::make_unique<PrintCommands>(*this);
    prefetch = new PagePrefetcher(loader, this);
    check = new PreCheck(*this);
    connectCommands();

    // Start-up: the boxes are filled before write-back begins, so that
    // nothing is written into an album that does not exist yet.
    savedFlag = true;
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
    album.entries.reset_table();
    album.cover = coverDefaults();
    renew_cover_window();
}

MainWindow::~MainWindow()
{
    // The prefetcher writes into the loader's cache: it stops first.
    delete prefetch;
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

    // Keyboard order: the slotViews top to bottom, then the page controls.
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
    // Menu items
    const std::pair<const char*, void (MainWindow::*)()> handlers[] = {
        { "file_header", &MainWindow::file_header_Click },
        { "option_edit", &MainWindow::option_edit_Click },
        { "input_line", &MainWindow::insert_line },
        { "delete_line", &MainWindow::extract_line },
        { "zoom_photo", &MainWindow::zoom_photo_Click },
        { "version_menu", &MainWindow::version_menu_Click },
    };
    for (const auto& [name, handler] : handlers)
        connect(commandSet->action(QLatin1String(name)), &QAction::triggered, this, handler);
    // Closing runs the quit prompt of closeEvent, as the close box does.
    connect(
        commandSet->action(QStringLiteral("end_menu")), &QAction::triggered, this, &QWidget::close);
    connect(commandSet->action(QStringLiteral("file_new")), &QAction::triggered, files.get(),
        &FileCommands::file_new_Click);
    connect(commandSet->action(QStringLiteral("file_open")), &QAction::triggered, files.get(),
        &FileCommands::file_open_Click);
    connect(commandSet->action(QStringLiteral("file_save")), &QAction::triggered, files.get(),
        &FileCommands::file_save_Click);
    connect(commandSet->action(QStringLiteral("print_menu")), &QAction::triggered, printing.get(),
        &PrintCommands::print_menu_Click);
    connect(commandSet->action(QStringLiteral("print_setting")), &QAction::triggered,
        printing.get(), &PrintCommands::print_setting_Click);
    connect(commandSet->action(QStringLiteral("oneprint_menu")), &QAction::triggered,
        printing.get(), &PrintCommands::print_page);
    connect(commandSet->action(QStringLiteral("print_preview")), &QAction::triggered, this,
        &MainWindow::print_preview_Click);
    connect(commandSet->action(QStringLiteral("album_check")), &QAction::triggered, check,
        &PreCheck::check_album);
    connect(commandSet->action(QStringLiteral("load_image_menu")), &QAction::triggered, this,
        [this] { photos->load_image(selected); });
    connect(commandSet->action(QStringLiteral("delete_image_menu")), &QAction::triggered, this,
        [this] { photos->delete_image(selected); });

    // Tool bar
    connect(commandSet, &CommandSet::buttonClicked, this, &MainWindow::Toolbar1_ButtonClick);

    // Page control and slotViews
    connect(spinner, &PageSpinner::valueChanged, this, &MainWindow::page_changed);
    connect(pageNumberBox, &QLineEdit::textChanged, this, &MainWindow::Text4_Change);
    for (SlotView* s : slotViews) {
        const int k = s->index();
        connect(s, &SlotView::titleChanged, this, &MainWindow::Text2_Change);
        connect(s, &SlotView::textChanged, this, &MainWindow::Text3_Change);
        connect(s->photoBox(), &PhotoBox::released, this,
            [this, k](Qt::MouseButton b, const QPoint& at) { Image1_MouseUp(k, b, at); });
        connect(s->photoBox(), &PhotoBox::clicked, this, [this, k] { Image1_Click(k); });
        connect(s->photoBox(), &PhotoBox::doubleClicked, this, [this, k] { Image1_DblClick(k); });
        // Handled after the drag has ended, so messages do not hold up the drag source.
        connect(
            s->photoBox(), &PhotoBox::filesDropped, this,
            [this, k](const QStringList& paths) { photos->Image1_OLEDragDrop(k, paths); },
            Qt::QueuedConnection);
    }
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

int MainWindow::shown_page_number() const
{
    return int(leading_number(pageNumberBox->text()));
}

QSize MainWindow::slotPictureSize() const
{
    return slotViews[0]->photoBox()->size() * devicePixelRatio();
}

void MainWindow::show_page()
{
    const int page = current_page();
    for (SlotView* s : slotViews) {
        const int i = entry_index(page, s->index());
        s->setNumberLabel(QStringLiteral("No.") + album.entries.get_field(i, EntryField::Number));
        s->setTitle(album.entries.get_field(i, EntryField::Title));
        s->setText(album.entries.get_field(i, EntryField::Text));
        if (photosDeferred)
            s->photoBox()->setPicture({});
        else
            photos->show_photo(s->index(), album.entries.get_field(i, EntryField::Image));
    }
    // The neighbour pages' photos, decoded while the user looks at this one.
    if (!photosDeferred)
        prefetch->page_shown(album.entries, page, slotPictureSize(), photo_fit());
}

void MainWindow::use_preferences(const Preferences& preferences, const QString& file)
{
    prefs = preferences;
    prefsFile = file;
    for (SlotView* s : slotViews)
        s->photoBox()->setKeepShape(prefs.keepPhotoShape);
    if (zoom)
        zoom->setKeepShape(prefs.keepPhotoShape);
    show_page();
}

PhotoFit MainWindow::photo_fit() const
{
    return prefs.keepPhotoShape ? PhotoFit::KeepShape : PhotoFit::Stretch;
}

void MainWindow::set_photos_deferred(bool deferred)
{
    photosDeferred = deferred;
    if (deferred)
        prefetch->prefetch_page(album.entries, current_page(), slotPictureSize(), photo_fit());
    else
        show_page();
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

bool MainWindow::grow_page()
{
    if (!album.entries.append_page()) {
        messages.inform(this,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ).")
                .arg(EntryTable::MaxEntries / 3));
        return false;
    }
    spinner->setMaximum(album.entries.page_count());
    return true;
}

void MainWindow::replace_document(Document document)
{
    album = std::move(document);
    spinner->setMaximum(album.entries.page_count());
    if (spinner->value() != 1)
        spinner->setValue(1); // shows page 1
    else
        show_page();
    pageNumberBox->setText(QStringLiteral("1"));
    if (cover)
        cover->reload();
}

void MainWindow::renew_cover_window()
{
    delete cover;
    cover = new CoverDialog(album.cover, this);
}

ZoomWindow* MainWindow::ensure_zoom_window()
{
    if (!zoom) {
        zoom = new ZoomWindow(loader, this);
        zoom->setKeepShape(prefs.keepPhotoShape);
    }
    return zoom;
}

void MainWindow::Text4_Change()
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
    pageNumberBox->setText(QString::number(page));
    show_page();
}

void MainWindow::Text2_Change(int k)
{
    if (!writeBack)
        return;
    album.entries.set_field(entry_index(current_page(), k), EntryField::Title, slot(k).title());
    savedFlag = false;
}

void MainWindow::Text3_Change(int k)
{
    if (!writeBack)
        return;
    album.entries.set_field(entry_index(current_page(), k), EntryField::Text, slot(k).text());
    savedFlag = false;
}

void MainWindow::insert_line()
{
    const int t = entry_index(current_page(), selected);
    // The last entry's contents would be pushed out of the table: make room.
    if (!album.entries.entry(album.entries.entry_count()).isEmpty() && !grow_page())
        return;
    album.entries.insert_place(t);
    show_page();
    savedFlag = false;
}

void MainWindow::extract_line()
{
    album.entries.take_out(entry_index(current_page(), selected));
    show_page();
    savedFlag = false;
}

void MainWindow::Image1_MouseUp(int k, Qt::MouseButton button, const QPoint& globalPosition)
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

void MainWindow::Image1_Click(int k)
{
    const int i = entry_index(current_page(), k);
    ensure_zoom_window()->setPhoto(album.entries.get_field(i, EntryField::Image));
}

void MainWindow::Image1_DblClick(int k)
{
    selected = k;
    photos->load_image(k);
}

void MainWindow::Toolbar1_ButtonClick(const QString& key)
{
    const std::pair<const char*, std::function<void()>> buttons[] = {
        { "newfile", [this] { files->file_new_Click(); } },
        { "openfile", [this] { files->file_open_Click(); } },
        { "savefile", [this] { files->file_save_Click(); } },
        { "toppage", [this] { file_header_Click(); } },
        { "printall", [this] { printing->print_menu_Click(); } },
        { "oneprint", [this] { printing->print_page(); } },
        { "preview", [this] { print_preview_Click(); } },
        { "photo", [this] { photos->load_image(selected); } },
        { "delete", [this] { photos->delete_image(selected); } },
        { "input", [this] { insert_line(); } },
        { "cutout", [this] { extract_line(); } },
    };
    for (const auto& [name, run] : buttons) {
        if (key == QLatin1String(name)) {
            run();
            return;
        }
    }
}

void MainWindow::file_header_Click()
{
    if (!cover)
        renew_cover_window();
    cover->show();
    cover->raise();
    cover->activateWindow();
    savedFlag = false;
}

void MainWindow::option_edit_Click()
{
    if (!options) {
        options = new OptionsDialog(messages, this);
        options->setKeepPhotoShape(prefs.keepPhotoShape);
        connect(options, &OptionsDialog::keepPhotoShapeApplied, this, [this](bool keep) {
            Preferences changed = prefs;
            changed.keepPhotoShape = keep;
            if (changed == prefs)
                return;
            if (!prefsFile.isEmpty() && !changed.save(prefsFile))
                messages.warn(this,
                    QStringLiteral("設定を保存できませんでした (%1). 設定はこの実行の間だけ使われます.")
                        .arg(prefsFile));
            use_preferences(changed, prefsFile);
        });
    }
    options->show();
    options->raise();
    options->activateWindow();
}

void MainWindow::print_preview_Click()
{
    PrintPreview preview(*this, PrintPreview::Scope::Album);
    preview.exec();
}

void MainWindow::version_menu_Click()
{
    show_about(messages, this);
}

void MainWindow::zoom_photo_Click()
{
    const int i = entry_index(current_page(), selected);
    ZoomWindow* window = ensure_zoom_window();
    window->setPhoto(album.entries.get_field(i, EntryField::Image));
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!savedFlag) {
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
    // A text box takes Shift+Insert, Shift+Delete, Ctrl+H and other keys as
    // its own; the album's commands come first, as users expect.
    if (event->type() == QEvent::ShortcutOverride
        && commandSet->isMenuShortcut(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace zk
