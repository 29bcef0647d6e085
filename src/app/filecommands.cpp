#include "filecommands.h"

#include "docfile/albumfiles.h"
#include "model/album.h"

#include <QFileInfo>

namespace zk {

FileCommands::FileCommands(
    Album& album, Dialogs& dialogs, CoverDefaults coverDefaults, QWidget* window)
    : album(album), dialogs(dialogs), coverDefaults(std::move(coverDefaults)), window(window)
{
}

FileRequest FileCommands::documentRequest(bool save)
{
    FileRequest request;
    request.filter = QStringLiteral("すべてのファイル (*.*)|*.*|ZELKORA ファイル (*.zkr)|*.zkr");
    request.filterIndex = 2;
    request.defaultExtension = QStringLiteral("zkr");
    request.confirmOverwrite = save;
    return request;
}

bool FileCommands::may_discard(const QString& instead)
{
    if (album.saved())
        return true;
    const QString name = album.filePath().isEmpty() ? QStringLiteral("無題の写真帳")
                                                    : QFileInfo(album.filePath()).fileName();
    const Answer answer = dialogs.message(window,
        { message_lines({ QStringLiteral("%1 には保存されていない変更があります.").arg(name),
              QStringLiteral("%1と、その変更は失われます. よろしいですか？").arg(instead) }),
            QStringLiteral("Zelkora"), MessageIcon::None, MessageButtons::YesNo, Answer::No });
    return answer == Answer::Yes;
}

void FileCommands::new_album()
{
    if (!may_discard(QStringLiteral("新しい写真帳を作る")))
        return;
    start_blank();
    lock.release();
    stamp = {};
    set_read_only(false);
    Q_EMIT newAlbumStarted();
}

void FileCommands::start_blank()
{
    album.replace_document(Document::blank(coverDefaults()), {});
}

void FileCommands::open_album()
{
    if (!may_discard(QStringLiteral("別の写真帳を開く")))
        return;
    const QString path = dialogs.openFile(window, documentRequest(false));
    if (!path.isEmpty())
        open_document(path);
}

void FileCommands::set_read_only(bool readOnly)
{
    if (onlyReading == readOnly)
        return;
    onlyReading = readOnly;
    Q_EMIT readOnlyChanged(readOnly);
}

bool FileCommands::take_lock(const QString& path, AlbumLock& next, bool* readOnly)
{
    *readOnly = false;
    const QString name = QFileInfo(path).fileName();
    switch (next.take(path)) {
    case AlbumLock::Outcome::Taken:
        return true;
    case AlbumLock::Outcome::TakenOverStale:
        dialogs.inform(window,
            message_lines({ QStringLiteral("%1 には使われていないロックが残っていたので、引き継ぎました.").arg(name),
                QStringLiteral("(%1)").arg(next.holder().describe()) }));
        return true;
    case AlbumLock::Outcome::Unavailable:
        dialogs.inform(window,
            message_lines({ QStringLiteral("%1 のロックファイルを作れませんでした (%2).").arg(name, next.note()),
                QStringLiteral("ほかの人が同時にこの写真帳を開いても、お知らせできません.") }));
        return true;
    case AlbumLock::Outcome::HeldByOther:
        break;
    }
    const QString holder = next.holder().describe();
    const Answer answer = dialogs.message(window,
        { message_lines({ QStringLiteral("%1 は、ほかの人が開いています.").arg(name), holder, {},
              QStringLiteral("読み取り専用で開くと、別の名前でだけ保存できます."),
              QStringLiteral("それでも開くと、相手が次に保存するときに確認が出ます.") }),
            Dialogs::programName(), MessageIcon::Warning, MessageButtons::YesNoCancel,
            Answer::Yes,
            { QStringLiteral("読み取り専用で開く"), QStringLiteral("それでも開く"),
                QStringLiteral("開かない") } });
    if (answer == Answer::Yes) {
        *readOnly = true;
        return true;
    }
    if (answer == Answer::No) {
        next.take(path, true);
        return true;
    }
    return false;
}

bool FileCommands::open_document(const QString& path)
{
    // The information beside the album never stops it from opening.
    AlbumRead opened = AlbumFiles::read(path);
    if (!opened.read.ok()) {
        dialogs.warn(window, opened.read.message);
        return false;
    }
    AlbumLock next;
    bool readOnly = false;
    if (!take_lock(path, next, &readOnly))
        return false;
    const InfoReadResult& info = opened.info;
    album.replace_document(std::move(opened.read.document), path);
    lock = std::move(next);
    stamp = FileStamp::of(path);
    set_read_only(readOnly);
    lastFolder = QFileInfo(path).absolutePath();
    if (info.outcome == InfoReadResult::Outcome::Read && !info.message.isEmpty())
        dialogs.inform(window, info.message);
    else if (!info.message.isEmpty())
        dialogs.warn(window, info.message);
    return true;
}

Answer FileCommands::may_write(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const bool own = !album.filePath().isEmpty()
        && QFileInfo(path).absoluteFilePath() == QFileInfo(album.filePath()).absoluteFilePath();
    if (own && onlyReading) {
        dialogs.warn(window,
            QStringLiteral("%1 は読み取り専用で開いています. 別の名前で保存してください.").arg(name));
        return Answer::No;
    }
    const auto ask = [&](const QString& text) {
        return dialogs.message(window,
            { text, Dialogs::programName(), MessageIcon::Warning, MessageButtons::YesNoCancel,
                Answer::No,
                { QStringLiteral("上書きする"), QStringLiteral("別の名前で保存"),
                    QStringLiteral("キャンセル") } });
    };
    // Someone else holds the file open: the one who took our album over,
    // or the owner of another album chosen as the target.
    const bool takenOver = own && !lock.stillOurs();
    const LockOwner holder = takenOver ? AlbumLock::read(path) : AlbumLock::otherHolder(path);
    if (holder.isValid() && (takenOver || !own)) {
        const Answer answer = ask(
            message_lines({ QStringLiteral("%1 は、ほかの人が開いて編集しています.").arg(name),
                holder.describe(), {}, QStringLiteral("上書きすると、その人の保存する内容と食い違います.") }));
        if (answer != Answer::Yes)
            return answer;
    }
    // The file changed on disk since it was opened or saved here.
    if (own && stamp.size >= 0 && FileStamp::of(path) != stamp) {
        return ask(message_lines({ QStringLiteral("%1 は、開いた後にほかで変更されています.").arg(name),
            QStringLiteral("上書きすると、その変更は失われます.") }));
    }
    return Answer::Yes;
}

void FileCommands::save_album()
{
    // Saving back proposes the album's own file; a new album, the last folder.
    FileRequest request = documentRequest(true);
    request.proposedPath = album.filePath().isEmpty() ? lastFolder : album.filePath();
    QString path;
    for (;;) {
        path = dialogs.saveFile(window, request);
        if (path.isEmpty())
            return;
        const Answer answer = may_write(path);
        if (answer == Answer::Yes)
            break;
        if (answer == Answer::Cancel)
            return;
        // Another name: the dialog opens again in the same folder.
        request.proposedPath = QFileInfo(path).absolutePath();
    }
    Q_EMIT aboutToSave();
    // The information goes beside the album, under the same name. Should
    // either fail, the album stays unsaved.
    const WriteResult written = AlbumFiles::write(path, album.document());
    if (!written.ok()) {
        dialogs.warn(window, written.message);
        return;
    }
    album.mark_saved(path);
    stamp = FileStamp::of(path);
    if (QFileInfo(path).absoluteFilePath() != lock.albumPath()) {
        // The user agreed to write there: the lock follows the album.
        AlbumLock next;
        next.take(path, true);
        lock = std::move(next);
    }
    set_read_only(false);
    lastFolder = QFileInfo(path).absolutePath();
}

} // namespace zk
