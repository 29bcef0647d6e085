#include "pageview.h"

#include "app/pageprefetcher.h"
#include "app/pagespinner.h"
#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "model/album.h"
#include "model/leadingnumber.h"
#include "photos/photoloader.h"
#include "ui/twips.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>

#include <algorithm>

namespace zk {

namespace {

const QColor selectedFrame(80, 80, 192);
const QColor otherFrame(192, 192, 192);

} // namespace

PageView::PageView(Album& album, PhotoLoader& loader, PagePrefetcher& decoder, QWidget* client)
    : QObject(client), album(album), loader(loader), decoder(decoder)
{
    for (int k = 0; k < 3; ++k)
        slots[size_t(k)] = new SlotView(k, client);
    // Wide enough for the largest album's page 10922; the page count and the
    // arrows follow it.
    numberBox = new QLineEdit(client);
    numberBox->setObjectName(QStringLiteral("Text4"));
    numberBox->setAlignment(Qt::AlignRight);
    numberBox->setGeometry(twips(4080, 100, 780, 270));
    spinner = new PageSpinner(client);
    spinner->setObjectName(QStringLiteral("UpDown1"));
    spinner->setGeometry(twips(4920, 100, 1680, 270));
    spinner->setNumberBox(numberBox);

    // Keyboard order: the slots top to bottom, then the page controls.
    QWidget* previous = nullptr;
    for (SlotView* s : slots) {
        for (QWidget* w : { static_cast<QWidget*>(s->numberBox()),
                 static_cast<QWidget*>(s->titleBox()), static_cast<QWidget*>(s->textBox()) }) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
            // Leaving a box ends its typing step.
            w->installEventFilter(this);
        }
    }
    QWidget::setTabOrder(previous, numberBox);
    QWidget::setTabOrder(numberBox, spinner);

    // The user's edits and clicks
    connect(spinner, &PageSpinner::valueChanged, this, &PageView::page_changed);
    connect(numberBox, &QLineEdit::textChanged, this, &PageView::page_number_shown);
    for (SlotView* s : slots) {
        const int k = s->index();
        connect(s, &SlotView::titleChanged, this, &PageView::title_edited);
        connect(s, &SlotView::textChanged, this, &PageView::text_edited);
        connect(s->photoBox(), &PhotoBox::released, this,
            [this, k](Qt::MouseButton b, const QPoint& at) { Q_EMIT photoReleased(k, b, at); });
        connect(s->photoBox(), &PhotoBox::clicked, this, [this, k] { Q_EMIT photoClicked(k); });
        connect(s->photoBox(), &PhotoBox::doubleClicked, this,
            [this, k] { Q_EMIT photoDoubleClicked(k); });
        // Handled after the drag has ended, so messages do not hold up the drag source.
        connect(
            s->photoBox(), &PhotoBox::filesDropped, this,
            [this, k](const QStringList& paths) { Q_EMIT filesDropped(k, paths); },
            Qt::QueuedConnection);
    }

    // Photos decoded off the window's thread
    connect(&decoder, &PagePrefetcher::photoDecoded, this, &PageView::photo_decoded);

    // The album's changes
    connect(&album, &Album::entriesChanged, this, &PageView::entries_changed);
    connect(&album, &Album::pageCountChanged, this, [this](int pages) {
        const QScopedValueRollback guard(followingAlbum, true);
        spinner->setMaximum(pages);
    });
    connect(&album, &Album::documentReplaced, this, &PageView::document_replaced);
    connect(&album, &Album::stepShown, this, &PageView::step_shown);
    connect(&album, &Album::changed, this, &PageView::album_changed);

    // Start-up: the boxes are filled before write-back begins, so that
    // nothing is written into an album that does not exist yet.
    for (SlotView* s : slots) {
        s->setNumberLabel(QStringLiteral("No."));
        s->setTitle({});
        s->setText({});
    }
    mark_selected_slot(0);
    numberBox->setText(QStringLiteral("1"));
    writeBack = true;
}

int PageView::current_page() const
{
    return spinner->value();
}

int PageView::highest_page() const
{
    return spinner->maximum();
}

int PageView::selected_position() const
{
    return entry_index(current_page(), selected);
}

QSize PageView::slotPictureSize() const
{
    return slots[0]->photoBox()->size() * slots[0]->photoBox()->devicePixelRatio();
}

void PageView::show_slot(int k)
{
    SlotView* s = slots.at(size_t(k));
    const Entry& entry = album.entries().entry(entry_index(current_page(), k));
    const QScopedValueRollback guard(followingAlbum, true);
    s->setNumberLabel(QStringLiteral("No.") + entry.number);
    s->setTitle(entry.title);
    s->setText(entry.text);
    show_photo(k, entry.image);
}

void PageView::show_photo(int k, const QString& path)
{
    waitingFor.at(size_t(k)) = 0;
    if (photosDeferred) {
        slots.at(size_t(k))->photoBox()->setPicture({});
        return;
    }
    const QSize size = slotPictureSize();
    if (const std::optional<Picture> known = loader.cached(path, size, fit)) {
        show_picture(k, *known);
        return;
    }
    // An empty box rather than the photo of the page before while this one
    // is decoded.
    slots.at(size_t(k))->photoBox()->setPicture({});
    waitingFor.at(size_t(k)) = ++lastTicket;
    decoder.decode_now(lastTicket, path, size, fit);
}

void PageView::show_picture(int k, const Picture& picture)
{
    PhotoBox* box = slots.at(size_t(k))->photoBox();
    if (picture.ok())
        box->setPicture(picture.image);
    else
        box->showUnreadable(
            album.entries().entry(entry_index(current_page(), k)).image, picture.error);
}

void PageView::photo_decoded(quint64 ticket, const Picture& picture)
{
    const auto k = std::find(waitingFor.begin(), waitingFor.end(), ticket);
    if (ticket == 0 || k == waitingFor.end())
        return; // for a page or photo no longer on screen
    *k = 0;
    show_picture(int(k - waitingFor.begin()), picture);
    page_filled();
}

void PageView::page_filled()
{
    if (pageWaiting && !photosPending()) {
        pageWaiting = false;
        Q_EMIT pageShown(current_page());
    }
}

bool PageView::photosPending() const
{
    return std::any_of(waitingFor.begin(), waitingFor.end(), [](quint64 t) { return t != 0; });
}

void PageView::show_page()
{
    // What is queued for the page before is no longer wanted.
    if (!photosDeferred)
        decoder.new_page();
    for (int k = 0; k < 3; ++k)
        show_slot(k);
    pageWaiting = !photosDeferred;
    page_filled();
}

void PageView::setPhotoFit(PhotoFit photoFit)
{
    const bool keep = photoFit == PhotoFit::KeepShape;
    for (SlotView* s : slots)
        s->photoBox()->setKeepShape(keep);
    if (photoFit == fit)
        return;
    fit = photoFit;
    show_page();
}

void PageView::setPhotosDeferred(bool deferred)
{
    if (deferred == photosDeferred)
        return;
    photosDeferred = deferred;
    if (!deferred) {
        show_page();
        return;
    }
    // Photos under way are not shown now: the page is shown anew at the end.
    waitingFor.fill(0);
    pageWaiting = false;
}

void PageView::show_entry(int position)
{
    if (position < 1 || position > album.entries().entry_count())
        return;
    const int page = page_of_entry(position);
    if (page != current_page())
        spinner->setValue(page);
    const int k = slot_of_entry(position);
    select_slot(k);
    slot(k).titleBox()->setFocus();
}

void PageView::mark_selected_slot(int k)
{
    for (SlotView* s : slots)
        s->frame()->setBorderColor(otherFrame);
    slots.at(size_t(k))->frame()->setBorderColor(selectedFrame);
}

void PageView::select_slot(int k)
{
    selected = k;
    mark_selected_slot(k);
}

void PageView::focus_title(int position)
{
    const int first = entry_index(current_page(), 0);
    if (position >= first && position < first + 3)
        slot(position - first).titleBox()->setFocus();
}

void PageView::page_number_shown()
{
    // The number boxes follow the page number at once, but not a page
    // number the user is still typing.
    if (numberBox->isModified())
        return;
    const double page = leading_number(numberBox->text());
    for (SlotView* s : slots) {
        const double n = (page - 1) * 3 + (s->index() + 1);
        s->setNumberLabel(QStringLiteral("No.") + number_text(qint64(n)));
    }
}

void PageView::page_changed(int page)
{
    // Paging changes nothing in the album: refilling the boxes is no edit.
    album.end_typing();
    numberBox->setText(QString::number(page));
    show_page();
}

void PageView::title_edited(int k)
{
    if (writeBack && !followingAlbum)
        album.set_title(entry_index(current_page(), k), slot(k).title());
}

void PageView::text_edited(int k)
{
    if (writeBack && !followingAlbum)
        album.set_text(entry_index(current_page(), k), slot(k).text());
}

void PageView::entries_changed(int first, int last)
{
    if (replacedShown)
        return;
    for (int k = 0; k < 3; ++k) {
        const int i = entry_index(current_page(), k);
        if (i >= first && i <= last)
            show_slot(k);
    }
    page_filled();
}

void PageView::document_replaced()
{
    const QScopedValueRollback guard(followingAlbum, true);
    // Page 1 before the new count: a count below the page on screen would
    // show a page of its own first.
    if (spinner->value() != 1)
        spinner->setValue(1); // shows page 1
    else
        show_page();
    spinner->setMaximum(album.entries().page_count());
    numberBox->setText(QStringLiteral("1"));
    replacedShown = true;
}

void PageView::album_changed()
{
    replacedShown = false;
}

void PageView::step_shown(int position)
{
    // An undo or redo shows where it changed the album and selects that slot.
    if (position < 1 || position > album.entries().entry_count())
        return;
    const QScopedValueRollback guard(followingAlbum, true);
    const int page = page_of_entry(position);
    if (page != current_page())
        spinner->setValue(page);
    select_slot(slot_of_entry(position));
}

bool PageView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        album.end_typing();
    return QObject::eventFilter(watched, event);
}

} // namespace zk
