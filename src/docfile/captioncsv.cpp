#include "captioncsv.h"

#include "docfile/cp932codec.h"
#include "docfile/csvformat.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace zk {

namespace {

enum Column { Number, Title, Text, Image, ColumnCount };

// The header names a column may carry, Japanese first.
const char* const columnNames[ColumnCount][2] = {
    { "番号", "number" },
    { "タイトル", "title" },
    { "説明", "text" },
    { "写真ファイル", "image" },
};

QString columnName(Column c)
{
    return QString::fromUtf8(columnNames[c][0]);
}

// The information columns after the caption's: one per item, 参考図 as two.
QString drawingFilesName()
{
    return QStringLiteral("参考図ファイル");
}

QString drawingTitlesName()
{
    return QStringLiteral("参考図タイトル");
}

QStringList infoColumnNames()
{
    QStringList names;
    for (int i = 0; i < InfoItemCount; ++i) {
        if (InfoItem(i) != InfoItem::Drawings)
            names.append(info_item_name(InfoItem(i)));
    }
    return names << drawingFilesName() << drawingTitlesName();
}

// The information cells of an entry, in infoColumnNames() order.
QStringList infoCells(const PhotoInfo& info)
{
    QStringList cells;
    for (int i = 0; i < InfoItemCount; ++i) {
        if (InfoItem(i) != InfoItem::Drawings)
            cells.append(info.text(InfoItem(i)));
    }
    QStringList titles;
    for (const ReferenceDrawing& d : info.drawings)
        titles.append(d.title);
    return cells << info.text(InfoItem::Drawings) << titles.join(QLatin1Char('\n'));
}

bool hasInfo(const EntryTable& entries)
{
    for (int i = 1; i <= entries.entry_count(); ++i) {
        if (!entries.entry(i).info.isEmpty())
            return true;
    }
    return false;
}

// A byte that no encoding could read came into the album from a file; it
// survives in the album file but not in a CSV.
qsizetype unreadableByte(QStringView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i).isHighSurrogate() && i + 1 < value.size()
            && value.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (value.at(i).isSurrogate())
            return i;
    }
    return -1;
}

QString located(const QString& path, const QString& sentence)
{
    return path + QLatin1String("\n\n") + sentence;
}

QString atLine(int line, const QString& sentence)
{
    return QStringLiteral("%1行目: %2").arg(line).arg(sentence);
}

CsvReadResult readFailure(int line, const QString& sentence)
{
    CsvReadResult result;
    result.line = line;
    result.message = line > 0 ? atLine(line, sentence) : sentence;
    return result;
}

// The line (from 1) on which the first byte that UTF-8 cannot read stands.
int firstBadUtf8Line(QByteArrayView bytes)
{
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString ignored = decoder.decode(bytes.sliced(start, end - start));
        if (decoder.hasError())
            return line;
        ++line;
        start = end + 1;
    }
    return 1;
}

// Decodes the whole file; on failure returns the line at fault in *badLine.
std::optional<QString> decodeCsv(QByteArrayView bytes, CsvEncoding* encoding, int* badLine)
{
    *encoding = CsvEncoding::Utf8;
    const auto decodeWith
        = [bytes, badLine](QStringConverter::Encoding e, qsizetype skip) -> std::optional<QString> {
        QStringDecoder decoder(e, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(bytes.sliced(skip));
        if (decoder.hasError()) {
            *badLine = e == QStringConverter::Utf8 ? firstBadUtf8Line(bytes.sliced(skip)) : 1;
            return std::nullopt;
        }
        return text;
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringConverter::Utf8, 3);
    if (bytes.startsWith("\xFF\xFE"))
        return decodeWith(QStringConverter::Utf16LE, 2);
    if (bytes.startsWith("\xFE\xFF"))
        return decodeWith(QStringConverter::Utf16BE, 2);
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    // Not UTF-8: Shift-JIS, as long as every byte reads as a character.
    *encoding = CsvEncoding::ShiftJis;
    QString text = Cp932Codec::instance().decode(bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Cp932Codec::isEscapedByte(text.at(i).unicode())) {
            // Neither reads the file: the one that reads further is the
            // file's own, and the bad byte is where it stops (UTF-8 text
            // with one bad byte is not Shift-JIS from its first kana on).
            *badLine = qMax(int(QStringView(text).first(i).count(QLatin1Char('\n'))) + 1,
                firstBadUtf8Line(bytes));
            return std::nullopt;
        }
    }
    return text;
}

// Line breaks of a text as the album holds them: a lone LF, which spreadsheet
// programs write inside cells, becomes CR LF. A lone CR is kept, as the album
// file keeps it.
QString albumLineBreaks(const QString& text)
{
    if (!text.contains(QLatin1Char('\n')))
        return text;
    QString out;
    out.reserve(text.size() + text.count(QLatin1Char('\n')));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            out += QLatin1Char('\r');
        out += text.at(i);
    }
    return out;
}

// A line break as spreadsheet programs write one in a cell. A lone CR is
// kept: the album file holds it, and csv-export writes it quoted.
bool hasLineBreak(const QString& value)
{
    return value.contains(QLatin1Char('\n'));
}

} // namespace

bool CaptionRow::isEmpty() const
{
    if (title || text || image || drawingTitles)
        return false;
    return std::none_of(info.cbegin(), info.cend(), [](const auto& cell) { return bool(cell); });
}

CsvExportResult encode_caption_csv(const EntryTable& entries, CsvEncoding encoding)
{
    const Cp932Codec& codec = Cp932Codec::instance();
    CsvExportResult result;
    // Albums without information keep the four columns they always had.
    const bool withInfo = hasInfo(entries);
    QStringList headers { columnName(Number), columnName(Title), columnName(Text), columnName(Image) };
    if (withInfo)
        headers += infoColumnNames();
    const QString header = csv_record(headers);
    QString text; // UTF-8 is encoded at the end, Shift-JIS row by row
    if (encoding == CsvEncoding::Utf8)
        text = header;
    else
        codec.encode(header, result.bytes);

    for (int i = 1; i <= entries.entry_count(); ++i) {
        const Entry& e = entries.entry(i);
        QStringList fields { QString::number(i), e.title, e.text, e.image };
        if (withInfo)
            fields += infoCells(e.info);
        for (qsizetype c = 1; c < fields.size(); ++c) {
            const QString* value = &fields.at(c);
            const auto fail = [&result, i, &headers, c](const QString& sentence) {
                result.bytes.clear();
                result.message = QStringLiteral("No.%1 の%2").arg(i).arg(headers.at(c)) + sentence;
                return result;
            };
            if (unreadableByte(*value) >= 0) {
                return fail(
                    QStringLiteral("に文字として読めないバイトがあるため, CSV に書き出せません."));
            }
            // A NUL byte marks a file as no CSV when it is read back.
            if (value->contains(QChar(0))) {
                return fail(QStringLiteral(
                    "に NUL 文字 (文字コード 0) があるため, CSV に書き出せません."));
            }
            if (encoding == CsvEncoding::ShiftJis) {
                QByteArray ignored;
                if (const qsizetype at = codec.encode(*value, ignored); at >= 0) {
                    return fail(QStringLiteral("の文字「%1」は Shift-JIS では書き出せません. "
                                               "UTF-8 で書き出してください.")
                                    .arg(value->mid(at, value->at(at).isHighSurrogate() ? 2 : 1)));
                }
            }
        }
        const QString record = csv_record(fields);
        if (encoding == CsvEncoding::Utf8)
            text += record;
        else
            codec.encode(record, result.bytes);
    }
    if (encoding == CsvEncoding::Utf8)
        result.bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    return result;
}

namespace {

// Where each column is, as the header row names them (-1: not there).
struct ColumnLayout
{
    std::array<qsizetype, ColumnCount> at {};
    std::array<qsizetype, InfoItemCount> infoAt {};
    qsizetype titlesAt = -1;
};

// Reads the header row; a failure when a column is named twice or none is known.
std::optional<CsvReadResult> findColumns(const CsvRecord& header, ColumnLayout* layout)
{
    std::array<qsizetype, ColumnCount>& at = layout->at;
    at.fill(-1);
    for (qsizetype f = 0; f < header.fields.size(); ++f) {
        QString name = header.fields.at(f).trimmed();
        if (name.startsWith(QChar(0xFEFF)))
            name.remove(0, 1);
        for (int c = 0; c < ColumnCount; ++c) {
            if (name == QString::fromUtf8(columnNames[c][0])
                || name.compare(QLatin1String(columnNames[c][1]), Qt::CaseInsensitive) == 0) {
                if (at[size_t(c)] >= 0) {
                    return readFailure(header.line,
                        QStringLiteral("見出しの「%1」が二つあります.").arg(columnName(Column(c))));
                }
                at[size_t(c)] = f;
            }
        }
    }
    // The information columns: an item's name, 参考図ファイル (or 参考図) and 参考図タイトル.
    std::array<qsizetype, InfoItemCount>& infoAt = layout->infoAt;
    infoAt.fill(-1);
    qsizetype& titlesAt = layout->titlesAt;
    bool anyInfo = false;
    for (qsizetype f = 0; f < header.fields.size(); ++f) {
        const QString name = header.fields.at(f).trimmed();
        InfoItem item;
        qsizetype* column = nullptr;
        if (name == drawingFilesName())
            column = &infoAt[size_t(InfoItem::Drawings)];
        else if (name == drawingTitlesName())
            column = &titlesAt;
        else if (info_item_from_name(name, &item))
            column = &infoAt[size_t(item)];
        if (!column)
            continue;
        if (*column >= 0)
            return readFailure(header.line, QStringLiteral("見出しの「%1」が二つあります.").arg(name));
        *column = f;
        anyInfo = true;
    }
    if (at[Title] < 0 && at[Text] < 0 && at[Image] < 0 && !anyInfo) {
        return readFailure(header.line,
            QStringLiteral("見出しの行がありません. 最初の行に 番号,タイトル,説明,写真ファイル "
                           "のうち読み込む列の名前を書いてください."));
    }
    return std::nullopt;
}

// One row's cells by the header's columns; a failure for a line break
// where one line is allowed.
std::optional<CsvReadResult> readRow(const CsvRecord& record, const ColumnLayout& layout, CaptionRow* row)
{
    const auto field = [&record](qsizetype f) -> std::optional<QString> {
        if (f < 0 || f >= record.fields.size() || record.fields.at(f).isEmpty())
            return std::nullopt;
        return record.fields.at(f);
    };
    const auto cell = [&field, &layout](Column c) { return field(layout.at[size_t(c)]); };
    row->line = record.line;
    row->title = cell(Title);
    row->image = cell(Image);
    if (const std::optional<QString> text = cell(Text))
        row->text = albumLineBreaks(*text);
    for (int i = 0; i < InfoItemCount; ++i)
        row->info[size_t(i)] = field(layout.infoAt[size_t(i)]);
    row->drawingTitles = field(layout.titlesAt);
    if (row->title && hasLineBreak(*row->title)) {
        return readFailure(
            record.line, QStringLiteral("タイトルに改行があります. タイトルは 1 行です."));
    }
    if (row->image && hasLineBreak(*row->image))
        return readFailure(record.line, QStringLiteral("写真ファイルの名前に改行があります."));
    return std::nullopt;
}

} // namespace

CsvReadResult parse_caption_csv(QByteArrayView bytes)
{
    // A binary file (a picture, an album file of another program) holds NUL bytes.
    if (bytes.contains('\0') && !bytes.startsWith("\xFF\xFE") && !bytes.startsWith("\xFE\xFF"))
        return readFailure(0, QStringLiteral("CSV ファイルではありません."));

    CsvEncoding encoding;
    int badLine = 0;
    const std::optional<QString> text = decodeCsv(bytes, &encoding, &badLine);
    if (!text) {
        return readFailure(badLine,
            QStringLiteral(
                "文字コードを判別できません. UTF-8 か Shift-JIS の CSV にしてください."));
    }
    // The header and one row for each entry an album can hold: more rows
    // with content are refused as soon as the first of them is read.
    const CsvParseResult parsed = parse_csv(*text, EntryTable::MaxEntries + 1);
    if (parsed.tooManyRecords) {
        return readFailure(parsed.errorLine,
            QStringLiteral("行が多すぎます. 写真帳に入るのは %1 件までです.")
                .arg(EntryTable::MaxEntries));
    }
    if (!parsed.ok())
        return readFailure(parsed.errorLine, parsed.error);
    if (parsed.records.isEmpty())
        return readFailure(0, QStringLiteral("CSV ファイルに行がありません."));

    // The header row decides which column holds what.
    ColumnLayout layout;
    if (std::optional<CsvReadResult> failed = findColumns(parsed.records.constFirst(), &layout))
        return *failed;

    CsvReadResult result;
    result.encoding = encoding;
    result.rows.reserve(parsed.records.size() - 1);
    for (qsizetype r = 1; r < parsed.records.size(); ++r) {
        CaptionRow row;
        if (std::optional<CsvReadResult> failed = readRow(parsed.records.at(r), layout, &row))
            return *failed;
        result.rows.append(std::move(row));
    }
    return result;
}

CsvReadResult read_caption_csv(const QString& path)
{
    const auto fail = [&path](const QString& sentence) {
        CsvReadResult result;
        result.message = located(path, sentence);
        return result;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("ファイルが見つかりません."));
    if (!info.isFile())
        return fail(QStringLiteral("通常のファイルではないため開けません."));
    const QString tooLarge
        = QStringLiteral("ファイルが大きすぎるため読み込めません (CSV は 16 MiB まで).");
    if (info.size() > MaxCaptionCsvSize)
        return fail(tooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("ファイルを開けませんでした (%1).").arg(file.errorString()));
    const QByteArray bytes = file.read(MaxCaptionCsvSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("ファイルを読めませんでした (%1).").arg(file.errorString()));
    if (bytes.size() > MaxCaptionCsvSize)
        return fail(tooLarge);
    CsvReadResult result = parse_caption_csv(bytes);
    if (!result.ok())
        result.message = located(path, result.message);
    return result;
}

CaptionImportPlan plan_caption_import(const EntryTable& entries, const QList<CaptionRow>& rows)
{
    CaptionImportPlan plan;
    const int count = entries.entry_count();
    int last = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const CaptionRow& row = rows.at(r);
        const int k = int(r) + 1;
        if (row.isEmpty())
            continue;
        if (k > EntryTable::MaxEntries) {
            plan.contents.clear();
            plan.changed = 0;
            plan.line = row.line;
            plan.message = atLine(row.line,
                QStringLiteral("行が多すぎます. 写真帳に入るのは %1 件までです.")
                    .arg(EntryTable::MaxEntries));
            return plan;
        }
        EntryContent current;
        if (k <= count)
            current = entries.entry(k).content();
        EntryContent next = current;
        if (row.title)
            next.title = *row.title;
        if (row.text)
            next.text = *row.text;
        if (row.image)
            next.image = *row.image;
        for (int i = 0; i < InfoItemCount; ++i) {
            if (row.info[size_t(i)])
                next.info.setText(InfoItem(i), *row.info[size_t(i)]);
        }
        if (row.drawingTitles) {
            const QStringList titles = QString(*row.drawingTitles)
                                           .replace(QLatin1String("\r\n"), QLatin1String("\n"))
                                           .split(QLatin1Char('\n'));
            for (qsizetype d = 0; d < next.info.drawings.size(); ++d)
                next.info.drawings[d].title = titles.value(d);
        }
        if (next == current)
            continue;
        plan.infoChanged = plan.infoChanged || next.info != current.info;
        plan.contents.insert(k, next);
        ++plan.changed;
        last = k;
    }
    if (last > count)
        plan.pagesAdded = (last + 2) / 3 - count / 3;
    return plan;
}

} // namespace zk
