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
    // Builds the slots and page controls in client.
    PageView(Album& album, PhotoLoader& loader, QWidget* client);

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
    // Fills the three slots from the entries of the current page.
    void show_page();
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
    // The slots show page with its photos.
    void pageShown(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show_slot(int k);
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
    std::array<SlotView*, 3> slots {};
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
