#include "documentreader.h"

#include "docfile/cp932codec.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace zk {

namespace {

// Lines end with CR LF; a lone LF ends a line too, and so does the end of the
// file. A CR that is not followed by LF belongs to the line.
// Lines are taken one at a time, so that reading needs no memory per line:
// a file of nothing but line feeds has as many lines as bytes.
class LineReader
{
public:
    explicit LineReader(QByteArrayView bytes) : bytes(bytes) { }

    bool atEnd() const { return start >= bytes.size(); }

    QByteArrayView next()
    {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype following = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        else if (end > start && bytes.at(end - 1) == '\r')
            --end;
        const QByteArrayView line = bytes.sliced(start, end - start);
        start = following;
        return line;
    }

private:
    QByteArrayView bytes;
    qsizetype start = 0;
};

// The number of lines, and how many empty lines end the file.
struct LineCount
{
    qsizetype lines = 0;
    qsizetype trailingEmpty = 0;
};

LineCount countLines(QByteArrayView bytes)
{
    LineCount count;
    LineReader reader(bytes);
    while (!reader.atEnd()) {
        ++count.lines;
        count.trailingEmpty = reader.next().isEmpty() ? count.trailingEmpty + 1 : 0;
    }
    return count;
}

ReadResult failure(ReadError error, const QString& message, int line = 0)
{
    ReadResult result;
    result.error = error;
    result.line = line;
    result.message = message;
    return result;
}

// The file's path on its own first line, then what went wrong.
QString located(const QString& path, const QString& sentence)
{
    return path.isEmpty() ? sentence : path + QLatin1String("\n\n") + sentence;
}

ReadResult parse(QByteArrayView bytes, const QString& path)
{
    const LineCount count = countLines(bytes);
    constexpr int coverLines = CoverData::FieldCount;
    if (count.lines < coverLines) {
        return failure(ReadError::TooShort,
            located(path,
                QStringLiteral(
                    "写真帳のファイルではありません. 表紙の%1行がありません (%2行しかありません).")
                    .arg(coverLines)
                    .arg(count.lines)));
    }
    qsizetype lines = count.lines;
    // Empty lines after the last entry (an editor's extra CR LF) hold nothing.
    const qsizetype extra = (lines - coverLines) % 4;
    if (extra != 0 && count.trailingEmpty >= extra && lines - extra >= coverLines)
        lines -= extra;
    const qsizetype entryLines = lines - coverLines;
    if (entryLines % 4 != 0) {
        return failure(ReadError::TruncatedEntry,
            located(path,
                QStringLiteral("ファイルが途中で切れています. %1行目で写真の記録が終わっています.")
                    .arg(lines)),
            int(qMin<qsizetype>(lines, std::numeric_limits<int>::max())));
    }
    const qsizetype entryCount = entryLines / 4;
    if (entryCount > EntryTable::MaxEntries) {
        return failure(ReadError::TooManyEntries,
            located(path,
                QStringLiteral("写真の数が多すぎます (%1件; 開けるのは%2件までです).")
                    .arg(entryCount)
                    .arg(EntryTable::MaxEntries)));
    }

    const Cp932Codec& codec = Cp932Codec::instance();
    LineReader reader(bytes);
    ReadResult result;
    for (int n = 1; n <= coverLines; ++n)
        result.document.cover.setLine(n, codec.decode(reader.next()));

    EntryTable& table = result.document.entries;
    for (qsizetype i = 0; i < entryCount; ++i) {
        QString number = codec.decode(reader.next());
        QString title = codec.decode(reader.next());
        QString text = codec.decode(reader.next());
        text.replace(QLatin1String("<BR>"), QLatin1String("\r\n"));
        table.append_entry(number, title, text, codec.decode(reader.next()));
    }
    // Whole pages only, so that every entry can be shown and page growth
    // numbers new entries after the last one.
    if (table.entry_count() == 0)
        table.reset_table();
    while (table.entry_count() % 3 != 0)
        table.append_entry(number_text(table.entry_count() + 1), {}, {}, {});
    return result;
}

} // namespace

ReadResult parse_document(QByteArrayView bytes)
{
    return parse(bytes, {});
}

ReadResult read_document(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return failure(
            ReadError::CannotOpen, located(path, QStringLiteral("ファイルが見つかりません.")));
    }
    // A FIFO or a device would block or never end.
    if (!info.isFile()) {
        return failure(ReadError::NotRegularFile,
            located(path, QStringLiteral("通常のファイルではないため開けません.")));
    }
    if (info.size() > MaxDocumentFileSize) {
        return failure(ReadError::TooLarge,
            located(path, QStringLiteral("ファイルが大きすぎるため開けません (64 MiB まで).")));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(ReadError::CannotOpen,
            located(
                path, QStringLiteral("ファイルを開けませんでした (%1).").arg(file.errorString())));
    }
    const QByteArray bytes = file.read(MaxDocumentFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        return failure(ReadError::CannotOpen,
            located(
                path, QStringLiteral("ファイルを読めませんでした (%1).").arg(file.errorString())));
    }
    if (bytes.size() > MaxDocumentFileSize) {
        return failure(ReadError::TooLarge,
            located(path, QStringLiteral("ファイルが大きすぎるため開けません (64 MiB まで).")));
    }
    return parse(bytes, path);
}

} // namespace zk
