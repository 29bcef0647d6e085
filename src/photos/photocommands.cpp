#include "photocommands.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "app/photobox.h"
#include "app/slotview.h"
#include "app/titleedit.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace zk {

PhotoCommands::PhotoCommands(MainWindow& mainWindow) : window(mainWindow) { }

QString PhotoCommands::photoFilter()
{
    return QStringLiteral("すべてのファイル (*.*)|*.*|"
                          "BMP ファイル (*.bmp)|*.bmp|"
                          "GIF ファイル (*.gif)|*.gif|"
                          "ICO ファイル (*.ico)|*.ico|"
                          "JPG ファイル (*.jpg)|*.jpg|"
                          "JPEG ファイル (*.jpeg)|*.jpeg|"
                          "WMF ファイル (*.wmf)|*.wmf|");
}

void PhotoCommands::show_photo(int k, const QString& path)
{
    PhotoBox* box = window.slot(k).photoBox();
    const Picture picture
        = window.photoLoader().load(path, window.slotPictureSize(), window.photo_fit());
    if (picture.ok())
        box->setPicture(picture.image);
    else
        box->showUnreadable(path);
}

bool PhotoCommands::place_photo(int slot, const QString& path)
{
    const Picture picture
        = window.photoLoader().load(path, window.slotPictureSize(), window.photo_fit());
    if (!picture.ok() || picture.image.isNull())
        return false;
    window.slot(slot).photoBox()->setPicture(picture.image);
    window.entries().set_field(entry_index(window.current_page(), slot), EntryField::Image, path);
    // Filling the last slot of the last page opens a new page; at the size
    // limit grow_page says so and the photo stays placed.
    if (slot == 2 && window.shown_page_number() == window.highest_page())
        window.grow_page();
    return true;
}

void PhotoCommands::load_image(int slot)
{
    FileRequest request;
    request.filter = photoFilter();
    request.filterIndex = 5;
    const QString path = window.dialogs().openFile(&window, request);
    if (!path.isEmpty() && !place_photo(slot, path)) {
        window.dialogs().inform(&window, QStringLiteral("写真ファイル取込に失敗しました."));
        return;
    }
    // A cancelled dialog counts as an edit too.
    window.slot(slot).titleBox()->setFocus();
    window.set_saved(false);
}

void PhotoCommands::delete_image(int slot)
{
    SlotView& view = window.slot(slot);
    view.photoBox()->setPicture({});
    view.setTitle({});
    view.setText({});
    // Written directly too: a box that was already empty signals no change.
    const int i = entry_index(window.current_page(), slot);
    window.entries().set_field(i, EntryField::Title, {});
    window.entries().set_field(i, EntryField::Text, {});
    window.entries().set_field(i, EntryField::Image, {});
    window.set_saved(false);
}

void PhotoCommands::Image1_OLEDragDrop(int slot, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (paths.size() > 1) {
        window.dialogs().inform(&window,
            QStringLiteral("複数のファイルがドロップされました.\r\n"
                           "ドラッグをやり直してください."));
        return;
    }
    window.select_slot(slot);
    if (!place_photo(slot, paths.constFirst())) {
        window.dialogs().inform(&window,
            QStringLiteral("ドロップファイルによるエラーが発生しました.\r\n\r\n"
                           "対応ファイル以外の可能性があります."),
            QStringLiteral("ドロップファイルエラー"));
        return;
    }
    window.slot(slot).titleBox()->setFocus();
    window.set_saved(false);
}

} // namespace zk
