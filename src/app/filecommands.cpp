#include "filecommands.h"

#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "docfile/infofile.h"
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
        { QStringLiteral("%1 には保存されていない変更があります.\r\n"
                         "%2と、その変更は失われます. よろしいですか？")
                .arg(name, instead),
            QStringLiteral("Zelkora"), MessageIcon::None, MessageButtons::YesNo, Answer::No });
    return answer == Answer::Yes;
}

void FileCommands::new_album()
{
    if (!may_discard(QStringLiteral("新しい写真帳を作る")))
        return;
    Document document;
    document.entries.reset_table();
    document.cover = coverDefaults();
    album.replace_document(std::move(document), {});
    Q_EMIT newAlbumStarted();
}

void FileCommands::open_album()
{
    if (!may_discard(QStringLiteral("別の写真帳を開く")))
        return;
    const QString path = dialogs.openFile(window, documentRequest(false));
    if (!path.isEmpty())
        open_document(path);
}

bool FileCommands::open_document(const QString& path)
{
    ReadResult read = read_document(path);
    if (!read.ok()) {
        dialogs.warn(window, read.message);
        return false;
    }
    // The information beside the album never stops it from opening.
    const InfoReadResult info = InfoFile::read(path, &read.document);
    album.replace_document(std::move(read.document), path);
    lastFolder = QFileInfo(path).absolutePath();
    if (info.outcome == InfoReadResult::Outcome::Read && !info.message.isEmpty())
        dialogs.inform(window, info.message);
    else if (!info.message.isEmpty())
        dialogs.warn(window, info.message);
    return true;
}

void FileCommands::save_album()
{
    // Saving back proposes the album's own file; a new album, the last folder.
    FileRequest request = documentRequest(true);
    request.proposedPath = album.filePath().isEmpty() ? lastFolder : album.filePath();
    const QString path = dialogs.saveFile(window, request);
    if (path.isEmpty())
        return;
    Q_EMIT aboutToSave();
    const WriteResult written = write_document(path, album.document());
    if (!written.ok()) {
        // The album stays unsaved: it is not on disk.
        dialogs.warn(window, written.message);
        return;
    }
    // The information goes beside the album, under the same name.
    const QString info = InfoFile::write(path, album.document());
    if (!info.isEmpty()) {
        dialogs.warn(window, info);
        return;
    }
    album.mark_saved(path);
    lastFolder = QFileInfo(path).absolutePath();
}

} // namespace zk
