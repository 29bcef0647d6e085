#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace zk {

// One line of the master list: a 工種 with one of its 種別 and one of that
// one's 細別. The lower ones may be empty.
struct WorkTypeRow
{
    QString workType;
    QString kind;
    QString detail;

    bool isEmpty() const { return workType.isEmpty() && kind.isEmpty() && detail.isEmpty(); }
    bool operator==(const WorkTypeRow&) const = default;
};

// The master list as read, and why it could not be.
struct WorkTypeRead
{
    QList<WorkTypeRow> rows;
    QString message; // for the user, in Japanese; empty on success

    bool ok() const { return message.isEmpty(); }
};

// The user's master list of 工種/種別/細別, kept between runs as a CSV file
// with the columns 工種,種別,細別 and a header row. Read as UTF-8 (with or
// without a byte-order mark) or Shift-JIS, so that a list kept in a
// spreadsheet program can be taken as it is; written as UTF-8.
class WorkTypeList
{
public:
    // A master list is a few thousand lines at most.
    static constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

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

    // Blanks around the names trimmed, line breaks made spaces, empty rows
    // and repeats left out; the order stays.
    static QList<WorkTypeRow> cleaned(const QList<WorkTypeRow>& rows);

    // What a form offers, each name once in the order of the rows: every
    // 工種; the 種別 of a 工種; the 細別 of a 種別 under a 工種. An empty
    // filter does not narrow the choice.
    static QStringList work_types(const QList<WorkTypeRow>& rows);
    static QStringList kinds(const QList<WorkTypeRow>& rows, const QString& workType);
    static QStringList details(
        const QList<WorkTypeRow>& rows, const QString& workType, const QString& kind);
};

} // namespace zk
