#pragma once

#include "photos/photoloader.h"

#include <QObject>
#include <QSize>
#include <QStringList>

#include <array>

class QLineEdit;
class QWidget;

namespace zk {

class Album;
class PagePrefetcher;
class PageSpinner;
class SlotView;

// The page on screen: three slots, the page number and the page control. It
// shows the album's entries of the current page, follows the album's
// signals, writes what the user types into the album and keeps the selected
// slot. What a click on a photo means is left to the window.
class PageView : public QObject
{
    Q_OBJECT

public:
    // Builds the slots and page controls in client. Photos no cache holds are
    // decoded by decoder, off the window's thread.
    PageView(Album& album, PhotoLoader& loader, PagePrefetcher& decoder, QWidget* client);

    SlotView& slot(int k) { return *slots.at(size_t(k)); }
    PageSpinner* pageControl() const { return spinner; }
    QLineEdit* pageNumberBox() const { return numberBox; }

    int current_page() const;
    int highest_page() const;
    int selected_slot() const { return selected; }
    // The entry the selected slot shows.
    int selected_position() const;
    // Makes k the selected slot and marks it.
    void select_slot(int k);
    // Fills the three slots from the entries of the current page: the texts
    // at once, the photos from the cache at once and the others as soon as
    // they are decoded; pageShown tells when all three are there.
    void show_page();
    // Photos of the page on screen are still being decoded.
    bool photosPending() const;
    // Puts the caret into the title box of the slot showing position, if on screen.
    void focus_title(int position);
    // The size of a slot's photo in device pixels, at which it is decoded.
    QSize slotPictureSize() const;
    // Shows entry position: its page, its slot selected, the caret in its title.
    void show_entry(int position);

    // How the slots fit photos into their boxes; changing it shows the page anew.
    PhotoFit photoFit() const { return fit; }
    void setPhotoFit(PhotoFit photoFit);
    // While deferred, pages are shown without their photos and pageShown is
    // not told; ending it shows the page with its photos.
    void setPhotosDeferred(bool deferred);

Q_SIGNALS:
    void photoReleased(int k, Qt::MouseButton button, const QPoint& globalPosition);
    void photoClicked(int k);
    void photoDoubleClicked(int k);
    void filesDropped(int k, const QStringList& paths);
    // The slots show page with its photos (at once, or once decoded).
    void pageShown(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_slot(int k);
    void show_photo(int k, const QString& path);
    void show_picture(int k, const Picture& picture);
    void photo_decoded(quint64 ticket, const Picture& picture);
    // Tells pageShown once the page waits for no more photos.
    void page_filled();
    void mark_selected_slot(int k);

    // What the user did
    void page_number_shown();
    void page_changed(int page);
    void title_edited(int k);
    void text_edited(int k);

    // What the album did
    void entries_changed(int first, int last);
    void document_replaced();
    void album_changed();
    void step_shown(int position);

    Album& album;
    PhotoLoader& loader;
    PagePrefetcher& decoder;
    std::array<SlotView*, 3> slots {};
    // The decode each slot waits for, 0 for none; a picture with another
    // ticket belongs to a page or photo shown before and is dropped.
    std::array<quint64, 3> waitingFor {};
    quint64 lastTicket = 0;
    // pageShown is still to be told once the slots are filled.
    bool pageWaiting = false;
    QLineEdit* numberBox = nullptr;
    PageSpinner* spinner = nullptr;
    int selected = 0;
    // False while the slots are first filled, before the album exists.
    bool writeBack = false;
    // True while the views follow a change of the album (not the user's).
    bool followingAlbum = false;
    PhotoFit fit = PhotoFit::Stretch;
    bool photosDeferred = false;
    // From a replacement until the album's changed(): the page is shown
    // already, so the entries announced with it need no second drawing.
    bool replacedShown = false;
};

} // namespace zk
