#include "phrasestore.h"

#include <QSet>

namespace zk {

QStringList PhraseStore::cleaned(const QStringList& phrases)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString& phrase : phrases) {
        // A phrase is one line: a line break inside would split it in the file.
        QString line = phrase;
        line.replace(QLatin1String("\r\n"), QLatin1String(" "))
            .replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        line = line.trimmed();
        if (line.isEmpty() || seen.contains(line))
            continue;
        seen.insert(line);
        out.append(line);
    }
    return out;
}

} // namespace zk
