#pragma once

#include "ui/dialogs.h"
#include "docfile/captioncsv.h"

#include <QObject>
#include <QPointer>

namespace zk {

class Album;

// CSVに書き出し and CSVから読み込み: the album's captions to and from a
// spreadsheet. An import shows what it will change before it changes
// anything, and is one undo step.
class CsvExchange : public QObject
{
    Q_OBJECT

public:
    CsvExchange(Album& album, Dialogs& dialogs, QWidget* window);

    // Asks for the encoding and the file, then writes.
    void csv_export();
    // Asks for the file, then imports it.
    void csv_import();

    // Writes the captions to path; a failure is shown to the user.
    bool export_to(const QString& path, CsvEncoding encoding);
    // Reads path, shows the summary and, when the user agrees, sets the
    // captions in one step. Anything that cannot be applied is shown and
    // changes nothing. Returns whether the album changed.
    bool import_from(const QString& path);

    static FileRequest csvRequest(bool save);

private:
    Album& album;
    Dialogs& dialogs;
    QPointer<QWidget> window;
};

} // namespace zk
