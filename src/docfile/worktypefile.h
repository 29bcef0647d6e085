#pragma once

#include "model/worktypelist.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace zk {

// The user's master list of 工種/種別/細別, kept between runs as a CSV file
// with the columns 工種,種別,細別 and a header row. Read as UTF-8 (with or
// without a byte-order mark) or Shift-JIS, so that a list kept in a
// spreadsheet program can be taken as it is; written as UTF-8.
class WorkTypeFile
{
public:
    // A master list is a few thousand lines at most.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

    // The file's name, beside the user's settings.
    static constexpr const char* FileName = "worktypes.csv";
    // $XDG_CONFIG_HOME/zelkora/worktypes.csv (by default ~/.config/zelkora/).
    static QString default_file();

    // The user's list; a file that does not exist yet gives an empty list.
    static WorkTypeRead load(const QString& file = default_file());
    // A CSV file to take rows from.
    static WorkTypeRead import_file(const QString& file);
    // Columns are found by a header row naming them (in any order); without
    // one they are 工種, 種別, 細別 in this order. Further columns are ignored.
    static WorkTypeRead parse(QByteArrayView bytes);
    // Writes the list in one step; returns the reason on failure, else "".
    static QString save(const QList<WorkTypeRow>& rows, const QString& file = default_file());
};

} // namespace zk
