#include "filecommands.h"

#include "app/mainwindow.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"

namespace zk {

FileCommands::FileCommands(MainWindow& mainWindow) : window(mainWindow) { }

FileRequest FileCommands::documentRequest(bool save)
{
    FileRequest request;
    request.filter = QStringLiteral("すべてのファイル (*.*)|*.*|ZELKORA ファイル (*.zkr)|*.zkr");
    request.filterIndex = 2;
    request.defaultExtension = QStringLiteral("zkr");
    request.confirmOverwrite = save;
    return request;
}

void FileCommands::file_new_Click()
{
    // No question first: a new album discards the old one, cover and all.
    Document document;
    document.entries.reset_table();
    document.cover = window.fresh_cover();
    window.replace_document(std::move(document));
    window.select_slot(0);
    window.renew_cover_window();
    window.show_cover_modal();
}

void FileCommands::file_open_Click()
{
    const QString path = window.dialogs().openFile(&window, documentRequest(false));
    if (!path.isEmpty())
        open_document(path);
}

bool FileCommands::open_document(const QString& path)
{
    ReadResult read = read_document(path);
    if (!read.ok()) {
        window.dialogs().warn(&window, read.message);
        return false;
    }
    window.replace_document(std::move(read.document));
    return true;
}

void FileCommands::file_save_Click()
{
    const QString path = window.dialogs().saveFile(&window, documentRequest(true));
    if (path.isEmpty())
        return;
    const WriteResult written = write_document(path, window.document());
    if (!written.ok()) {
        // The saved flag stays as it was: the album is not on disk.
        window.dialogs().warn(&window, written.message);
        return;
    }
    window.set_saved(true);
}

} // namespace zk
