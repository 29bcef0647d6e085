#pragma once

#include "app/dialogs.h"

#include <QObject>

namespace zk {

class MainWindow;

// New, open and save, on the main window's album.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    explicit FileCommands(MainWindow& window);

    void file_new_Click();
    void file_open_Click();
    void file_save_Click();

    // Replaces the album with the file's, as the open command does once a
    // file is chosen. A file that cannot be read changes nothing and is
    // reported to the user.
    bool open_document(const QString& path);

    // The dialog settings of the open and save commands.
    static FileRequest documentRequest(bool save);

private:
    MainWindow& window;
};

} // namespace zk
