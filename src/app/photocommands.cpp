#include "photocommands.h"

#include "ui/dialogs.h"
#include "docfile/cp932codec.h"
#include "model/album.h"
#include "photos/photofacts.h"
#include "photos/photoloader.h"

namespace zk {

namespace {

const QString importStep = QStringLiteral("写真の取込");

} // namespace

PhotoCommands::PhotoCommands(Album& album, Dialogs& dialogs, PhotoLoader& loader, QWidget* window)
    : album(album), dialogs(dialogs), loader(loader), window(window)
{
}

QString PhotoCommands::place_photo(int position, const QString& path)
{
    const Picture picture = loader.load(path, pictureSize, pictureFit);
    if (!picture.ok())
        return picture.error;
    if (picture.image.isNull())
        return QStringLiteral("写真ファイルではないか、読めない形式のファイルです.");
    EntryContent content = album.content(position);
    content.image = path;
    PhotoFacts::read(path).fill(&content);
    // Filling the last entry opens a new page in the same step: naming the
    // position three places on makes set_contents grow by one page.
    const int last = album.entries().entry_count();
    if (position == last
        && album.set_contents({ { position, content }, { last + 3, {} } }, importStep)) {
        Q_EMIT photoPlaced(position);
        return {};
    }
    album.set_contents({ { position, content } }, importStep);
    Q_EMIT photoPlaced(position);
    if (position == last) {
        // At the size limit the photo stays placed and the user is told.
        dialogs.inform(window,
            QStringLiteral("写真帳はこれ以上ページを増やせません (最大 %1 ページ).")
                .arg(EntryTable::MaxEntries / 3));
    }
    return {};
}

void PhotoCommands::warn_unsavable_path(const QString& path)
{
    QByteArray bytes;
    const qsizetype bad = Cp932Codec::instance().encode(path, bytes);
    if (bad < 0)
        return;
    const qsizetype length = bad + 1 < path.size() && path.at(bad).isHighSurrogate()
            && path.at(bad + 1).isLowSurrogate()
        ? 2
        : 1;
    dialogs.warn(window,
        message_lines({ QStringLiteral("写真は置きましたが、ファイルの場所に Shift-JIS で保存できない文字「%1」が"
                                       "含まれているため、このままでは写真帳を保存できません.")
                            .arg(path.mid(bad, length)),
            {}, path, {}, QStringLiteral("フォルダーやファイルの名前を変えてから写真を置き直してください.") }));
}

void PhotoCommands::load_image(int position)
{
    FileRequest request;
    request.filter = photo_filter();
    request.filterIndex = 5;
    const QString path = dialogs.openFile(window, request);
    if (path.isEmpty()) {
        // A cancelled dialog counts as an edit too.
        album.mark_touched(importStep, position);
    } else if (const QString reason = place_photo(position, path); !reason.isEmpty()) {
        // Fixed text: joined by LF, not message_lines(), as users have always seen it.
        dialogs.inform(
            window, QStringLiteral("写真ファイル取込に失敗しました.\n\n%1\n%2").arg(path, reason));
        return;
    } else {
        warn_unsavable_path(path);
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
            message_lines({ QStringLiteral("複数のファイルがドロップされました."),
                QStringLiteral("ドラッグをやり直してください.") }));
        return;
    }
    if (const QString reason = place_photo(position, paths.constFirst()); !reason.isEmpty()) {
        dialogs.inform(window,
            message_lines({ QStringLiteral("ドロップファイルによるエラーが発生しました."), {},
                QStringLiteral("対応ファイル以外の可能性があります."), {}, paths.constFirst(), reason }),
            QStringLiteral("ドロップファイルエラー"));
        return;
    }
    warn_unsavable_path(paths.constFirst());
    Q_EMIT finished(position);
}

} // namespace zk
