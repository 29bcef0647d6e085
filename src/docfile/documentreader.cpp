#include "documentreader.h"

#include "docfile/cp932codec.h"

#include <QFile>
#include <QFileInfo>

namespace zk {

namespace {

// Lines end with CR LF; a lone LF ends a line too, and so does the end of the
// file. A CR that is not followed by LF belongs to the line.
QList<QByteArrayView> splitLines(QByteArrayView bytes)
{
    QList<QByteArrayView> lines;
    lines.reserve(bytes.count('\n') + 1);
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        else if (end > start && bytes.at(end - 1) == '\r')
            --end;
        lines.append(bytes.sliced(start, end - start));
        start = next;
    }
    return lines;
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
    const QList<QByteArrayView> lines = splitLines(bytes);
    constexpr int coverLines = CoverData::FieldCount;
    if (lines.size() < coverLines) {
        return failure(ReadError::TooShort,
            located(path,
                QStringLiteral(
                    "写真帳のファイルではありません. 表紙の%1行がありません (%2行しかありません).")
                    .arg(coverLines)
                    .arg(lines.size())));
    }
    const qsizetype entryLines = lines.size() - coverLines;
    if (entryLines % 4 != 0) {
        return failure(ReadError::TruncatedEntry,
            located(path,
                QStringLiteral("ファイルが途中で切れています. %1行目で写真の記録が終わっています.")
                    .arg(lines.size())),
            int(lines.size()));
    }
    const qsizetype count = entryLines / 4;
    if (count > EntryTable::MaxEntries) {
        return failure(ReadError::TooManyEntries,
            located(path,
                QStringLiteral("写真の数が多すぎます (%1件; 開けるのは%2件までです).")
                    .arg(count)
                    .arg(EntryTable::MaxEntries)));
    }

    const Cp932Codec& codec = Cp932Codec::instance();
    ReadResult result;
    for (int n = 1; n <= coverLines; ++n)
        result.document.cover.setLine(n, codec.decode(lines.at(n - 1)));

    EntryTable& table = result.document.entries;
    for (qsizetype i = coverLines; i < lines.size(); i += 4) {
        QString text = codec.decode(lines.at(i + 2));
        text.replace(QLatin1String("<BR>"), QLatin1String("\r\n"));
        table.append_entry(codec.decode(lines.at(i)), codec.decode(lines.at(i + 1)), text,
            codec.decode(lines.at(i + 3)));
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
