#include "filecommands.h"

#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "model/album.h"

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

void FileCommands::new_album()
{
    Document document;
    document.entries.reset_table();
    document.cover = coverDefaults();
    album.replace_document(std::move(document), {});
    Q_EMIT newAlbumStarted();
}

void FileCommands::open_album()
{
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
    album.replace_document(std::move(read.document), path);
    return true;
}

void FileCommands::save_album()
{
    const QString path = dialogs.saveFile(window, documentRequest(true));
    if (path.isEmpty())
        return;
    const WriteResult written = write_document(path, album.document());
    if (!written.ok()) {
        // The album stays unsaved: it is not on disk.
        dialogs.warn(window, written.message);
        return;
    }
    album.mark_saved(path);
}

} // namespace zk
