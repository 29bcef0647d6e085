#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zk {

// One record of a CSV text and the line it starts on (from 1).
struct CsvRecord
{
    QStringList fields;
    int line = 0;
};

struct CsvParseResult
{
    QList<CsvRecord> records;
    int errorLine = 0; // the line of the fault, 0 when the text was read whole
    QString error; // in Japanese, without the line; empty on success
    bool tooManyRecords = false; // the fault: a record with content past maxRecords

    bool ok() const { return errorLine == 0; }
};

// Reads CSV text as RFC 4180 writes it: fields separated by commas, records
// by CR LF (a lone LF or CR ends a record too), a field in double quotes may
// hold commas, quotes written twice and line breaks, which are kept exactly.
// Empty lines are skipped. A quote inside an unquoted field is taken as a
// character, as spreadsheet programs do; a quoted field that never ends, or
// text after its closing quote, is an error naming the line.
//
// Memory stays within a small multiple of the text: empty fields at the end
// of a record are not kept, nor fields past MaxCsvColumns; records past
// maxRecords (-1: no limit) are not kept while they are empty, and one with
// content is an error (tooManyRecords) found as soon as it is read.
constexpr qsizetype MaxCsvColumns = 64;
CsvParseResult parse_csv(QStringView text, qsizetype maxRecords = -1);

// One record with its closing CR LF. A field is quoted when it holds a comma,
// a quote, a line break or leading or trailing blanks (which some programs
// trim from unquoted fields).
QString csv_record(const QStringList& fields);

} // namespace zk
