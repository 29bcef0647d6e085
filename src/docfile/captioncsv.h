#pragma once

#include "model/entrycontent.h"
#include "model/entrytable.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <array>
#include <optional>

namespace zk {

// The captions of an album as a table for spreadsheet programs: a header
// row, then one row per entry with the columns 番号 (the position), タイトル,
// 説明 (the text, line breaks kept) and 写真ファイル (the image path). An album
// with photo information adds a column per item, headed by its name; lists
// are one cell with a line per element, and 参考図 takes two columns,
// 参考図ファイル and 参考図タイトル, a line per drawing.
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
    // The information items' cells; for 参考図 the files, one a line.
    std::array<std::optional<QString>, InfoItemCount> info;
    std::optional<QString> drawingTitles; // one a line, in the files' order

    bool isEmpty() const;
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
    int changed = 0; // entries whose title, text, image or information changes
    int pagesAdded = 0;
    int line = 0; // the row that cannot be applied
    QString message; // why the import cannot be applied; empty when it can

    bool ok() const { return message.isEmpty(); }
};

// Row k goes to entry k; rows past the last entry add pages. Refuses the
// whole import when the rows would pass the size limit.
CaptionImportPlan plan_caption_import(const EntryTable& entries, const QList<CaptionRow>& rows);

} // namespace zk
