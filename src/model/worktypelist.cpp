#include "worktypelist.h"

#include <QSet>

namespace zk {

namespace {

QString oneLine(QString name)
{
    name.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return name.trimmed();
}

void addOnce(QStringList& list, QSet<QString>& seen, const QString& name)
{
    if (name.isEmpty() || seen.contains(name))
        return;
    seen.insert(name);
    list.append(name);
}

} // namespace

QList<WorkTypeRow> WorkTypeList::cleaned(const QList<WorkTypeRow>& rows)
{
    QList<WorkTypeRow> out;
    QSet<QString> seen;
    for (const WorkTypeRow& row : rows) {
        const WorkTypeRow clean { oneLine(row.workType), oneLine(row.kind), oneLine(row.detail) };
        // A 種別 or 細別 without its 工種 cannot be offered under one.
        if (clean.workType.isEmpty())
            continue;
        const QString key = clean.workType + QChar(0x1F) + clean.kind + QChar(0x1F) + clean.detail;
        if (seen.contains(key))
            continue;
        seen.insert(key);
        out.append(clean);
    }
    return out;
}

QStringList WorkTypeList::work_types(const QList<WorkTypeRow>& rows)
{
    QStringList out;
    QSet<QString> seen;
    for (const WorkTypeRow& row : rows)
        addOnce(out, seen, row.workType);
    return out;
}

QStringList WorkTypeList::kinds(const QList<WorkTypeRow>& rows, const QString& workType)
{
    QStringList out;
    QSet<QString> seen;
    for (const WorkTypeRow& row : rows) {
        if (workType.isEmpty() || row.workType == workType)
            addOnce(out, seen, row.kind);
    }
    return out;
}

QStringList WorkTypeList::details(
    const QList<WorkTypeRow>& rows, const QString& workType, const QString& kind)
{
    QStringList out;
    QSet<QString> seen;
    for (const WorkTypeRow& row : rows) {
        if ((workType.isEmpty() || row.workType == workType) && (kind.isEmpty() || row.kind == kind))
            addOnce(out, seen, row.detail);
    }
    return out;
}

} // namespace zk
