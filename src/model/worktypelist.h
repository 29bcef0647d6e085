#pragma once

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

// The user's master list of 工種/種別/細別 and what a form offers from it.
// Its file is read and written by WorkTypeFile.
class WorkTypeList
{
public:
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
