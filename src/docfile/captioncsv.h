#pragma once

#include "model/entrycontent.h"
#include "model/entrytable.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

namespace zk {

// The captions of an album as a table for spreadsheet programs: a header
// row, then one row per entry with the columns 番号 (the position), タイトル,
// 説明 (the text, line breaks kept) and 写真ファイル (the image path).
enum class CsvEncoding {
    Utf8, // with a byte-order mark, which spreadsheet programs need to see UTF-8
    ShiftJis,
};

struct CsvExportResult
{
    QByteArray bytes;
    QString message; // why the album cannot be written; empty on success

    bool ok() const { return message.isEmpty(); }
};

CsvExportResult encode_caption_csv(const EntryTable& entries, CsvEncoding encoding);

// One row of an imported CSV: a column that the file lacks, or a cell left
// empty, stays unset and leaves the entry's field as it is.
struct CaptionRow
{
    int line = 0; // where the row starts in the file
    std::optional<QString> title;
    std::optional<QString> text; // line breaks are CR LF
    std::optional<QString> image;
};

struct CsvReadResult
{
    QList<CaptionRow> rows; // row k is meant for entry k
    CsvEncoding encoding = CsvEncoding::Utf8;
    int line = 0; // the line at fault, 0 when the file as a whole is
    QString message; // for the user, in Japanese, naming the line; empty on success

    bool ok() const { return message.isEmpty(); }
};

// CSV files larger than this are refused before they are read: 300 captions
// take some 100 KiB, a full album of 32,766 well under this.
constexpr qint64 MaxCaptionCsvSize = 16 * 1024 * 1024;

// Reads the captions from CSV bytes: UTF-8 with or without a byte-order
// mark, UTF-16 with one, or Shift-JIS. Columns are found by their header
// (番号, タイトル, 説明, 写真ファイル or number, title, text, image, in any
// order); other columns are ignored. The messages name no file.
CsvReadResult parse_caption_csv(QByteArrayView bytes);
// The same for a file; the messages begin with the file's path.
CsvReadResult read_caption_csv(const QString& path);

// What an import does to an album: the new contents of the entries that
// change, ready for Album::set_contents.
struct CaptionImportPlan
{
    QMap<int, EntryContent> contents;
    int changed = 0; // entries whose title, text or image changes
    int pagesAdded = 0;
    int line = 0; // the row that cannot be applied
    QString message; // why the import cannot be applied; empty when it can

    bool ok() const { return message.isEmpty(); }
};

// Row k goes to entry k; rows past the last entry add pages. Refuses the
// whole import when the rows would pass the size limit.
CaptionImportPlan plan_caption_import(const EntryTable& entries, const QList<CaptionRow>& rows);

} // namespace zk
