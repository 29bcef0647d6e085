#include "photocommands.h"

#include "app/dialogs.h"
#include "model/album.h"
#include "photos/photoloader.h"

namespace zk {

namespace {

const QString importStep = QStringLiteral("写真の取込");

} // namespace

PhotoCommands::PhotoCommands(Album& album, Dialogs& dialogs, PhotoLoader& loader, QWidget* window)
    : album(album), dialogs(dialogs), loader(loader), window(window)
{
}

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

bool PhotoCommands::place_photo(int position, const QString& path)
{
    const Picture picture = loader.load(path, pictureSize);
    if (!picture.ok() || picture.image.isNull())
        return false;
    EntryContent content = album.content(position);
    content.image = path;
    // Filling the last entry opens a new page in the same step: naming the
    // position three places on makes set_contents grow by one page.
    const int last = album.entries().entry_count();
    if (position == last
        && album.set_contents({ { position, content }, { last + 3, {} } }, importStep))
        return true;
    album.set_contents({ { position, content } }, importStep);
    if (position == last) {
        // At the size limit the photo stays placed and the user is told.
        dialogs.inform(window,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ).")
                .arg(EntryTable::MaxEntries / 3));
    }
    return true;
}

void PhotoCommands::load_image(int position)
{
    FileRequest request;
    request.filter = photoFilter();
    request.filterIndex = 5;
    const QString path = dialogs.openFile(window, request);
    if (path.isEmpty()) {
        // A cancelled dialog counts as an edit too.
        album.mark_touched(importStep, position);
    } else if (!place_photo(position, path)) {
        dialogs.inform(window, QStringLiteral("写真ファイル取込に失敗しました."));
        return;
    }
    Q_EMIT finished(position);
}

void PhotoCommands::delete_image(int position)
{
    album.clear_entry(position);
}

void PhotoCommands::drop_files(int position, const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (paths.size() > 1) {
        dialogs.inform(window,
            QStringLiteral("複数のファイルがドロップされました.\r\n"
                           "ドラッグをやり直してください."));
        return;
    }
    if (!place_photo(position, paths.constFirst())) {
        dialogs.inform(window,
            QStringLiteral("ドロップファイルによるエラーが発生しました.\r\n\r\n"
                           "対応ファイル以外の可能性があります."),
            QStringLiteral("ドロップファイルエラー"));
        return;
    }
    Q_EMIT finished(position);
}

} // namespace zk
