#include "csvformat.h"

namespace zk {

namespace {

bool endsField(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

CsvParseResult failure(int line, const QString& error)
{
    CsvParseResult result;
    result.errorLine = line;
    result.error = error;
    return result;
}

} // namespace

CsvParseResult parse_csv(QStringView s, qsizetype maxRecords)
{
    CsvParseResult result;
    const qsizetype n = s.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        CsvRecord record;
        record.line = line;
        qsizetype pendingEmpty = 0;
        bool separated = false; // a comma or a quote: not an empty line
        for (;;) {
            QString field;
            if (i < n && s.at(i) == QLatin1Char('"')) {
                separated = true;
                const int opened = line;
                ++i;
                for (;;) {
                    const qsizetype quote = s.indexOf(QLatin1Char('"'), i);
                    if (quote < 0) {
                        return failure(opened,
                            QStringLiteral("引用符 (\") で始まった項目が閉じられていません."));
                    }
                    const QStringView part = s.sliced(i, quote - i);
                    field += part;
                    // Line breaks inside the field still count as lines.
                    line += int(part.count(QLatin1Char('\n')));
                    for (qsizetype c = 0; c < part.size(); ++c) {
                        if (part.at(c) == QLatin1Char('\r')
                            && (c + 1 == part.size() || part.at(c + 1) != QLatin1Char('\n')))
                            ++line;
                    }
                    i = quote + 1;
                    if (i < n && s.at(i) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        ++i;
                        continue;
                    }
                    break;
                }
                if (i < n && !endsField(s.at(i))) {
                    return failure(line,
                        QStringLiteral(
                            "引用符 (\") で囲んだ項目の後に、区切りのコンマの前に文字があります."));
                }
            } else {
                const qsizetype start = i;
                while (i < n && !endsField(s.at(i)))
                    ++i;
                field = s.sliced(start, i - start).toString();
            }
            // Empty fields are counted, and kept only once one with content
            // follows them; fields past the last column kept are dropped.
            if (field.isEmpty()) {
                ++pendingEmpty;
            } else if (record.fields.size() + pendingEmpty < MaxCsvColumns) {
                for (; pendingEmpty > 0; --pendingEmpty)
                    record.fields.append(QString());
                record.fields.append(field);
            } else {
                pendingEmpty = MaxCsvColumns; // nothing past here is kept
            }
            if (i < n && s.at(i) == QLatin1Char(',')) {
                separated = true;
                ++i;
                continue;
            }
            if (i < n) {
                i += (s.at(i) == QLatin1Char('\r') && i + 1 < n && s.at(i + 1) == QLatin1Char('\n'))
                    ? 2
                    : 1;
                ++line;
            }
            break;
        }
        if (!separated && (record.fields.isEmpty() || record.fields.constFirst().trimmed().isEmpty()))
            continue; // an empty line, or one of blanks only
        if (record.fields.isEmpty())
            record.fields.append(QString()); // a record holds at least one field
        if (maxRecords >= 0 && result.records.size() >= maxRecords) {
            if (record.fields.size() == 1 && record.fields.constFirst().isEmpty())
                continue; // nothing to keep
            CsvParseResult tooMany = failure(record.line, QString());
            tooMany.tooManyRecords = true;
            return tooMany;
        }
        result.records.append(std::move(record));
    }
    return result;
}

QString csv_record(const QStringList& fields)
{
    QString out;
    for (qsizetype f = 0; f < fields.size(); ++f) {
        if (f > 0)
            out += QLatin1Char(',');
        const QString& value = fields.at(f);
        const bool quoted = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
            || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))
            || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
        if (quoted) {
            QString escaped = value;
            escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
            out += QLatin1Char('"') + escaped + QLatin1Char('"');
        } else {
            out += value;
        }
    }
    out += QLatin1String("\r\n");
    return out;
}

} // namespace zk
