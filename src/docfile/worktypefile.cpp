#include "worktypefile.h"

#include "docfile/cp932codec.h"
#include "docfile/csvformat.h"
#include "docfile/safefile.h"
#include "docfile/userfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QStringDecoder>

#include <array>

namespace zk {

namespace {

const std::array<QString, 3> columnNames
    = { QStringLiteral("工種"), QStringLiteral("種別"), QStringLiteral("細別") };

WorkTypeRead readFile(const QString& path, bool missingIsEmpty)
{
    const UserFileRead file = read_user_file(path, WorkTypeFile::MaxFileSize, missingIsEmpty);
    if (file.missing)
        return {};
    WorkTypeRead read;
    if (!file.ok()) {
        read.message = file.message;
        return read;
    }
    read = WorkTypeFile::parse(file.bytes);
    if (!read.ok())
        read.message = path + QLatin1String("\n\n") + read.message;
    return read;
}

} // namespace

QString WorkTypeFile::default_file()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/zelkora/") + QLatin1String(FileName);
}

WorkTypeRead WorkTypeFile::load(const QString& file)
{
    return readFile(file, true);
}

WorkTypeRead WorkTypeFile::import_file(const QString& file)
{
    return readFile(file, false);
}

WorkTypeRead WorkTypeFile::parse(QByteArrayView bytes)
{
    WorkTypeRead read;
    if (bytes.contains('\0')) {
        read.message = QStringLiteral("CSV ファイルではありません.");
        return read;
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        text = Cp932Codec::instance().decode(bytes);
        for (const QChar c : std::as_const(text)) {
            if (Cp932Codec::isEscapedByte(c.unicode())) {
                read.message = QStringLiteral(
                    "文字コードを判別できません. UTF-8 か Shift-JIS の CSV にしてください.");
                return read;
            }
        }
    }
    const CsvParseResult csv = parse_csv(text);
    if (!csv.ok()) {
        read.message = QStringLiteral("%1 行目: %2").arg(csv.errorLine).arg(csv.error);
        return read;
    }

    // A header row names the columns; a list without one has them in order.
    std::array<qsizetype, 3> column = { 0, 1, 2 };
    qsizetype first = 0;
    if (!csv.records.isEmpty()) {
        const QStringList& head = csv.records.constFirst().fields;
        std::array<qsizetype, 3> named = { -1, -1, -1 };
        for (qsizetype f = 0; f < head.size(); ++f) {
            for (size_t c = 0; c < named.size(); ++c) {
                if (named[c] < 0 && head.at(f).trimmed() == columnNames[c])
                    named[c] = f;
            }
        }
        if (named[0] >= 0) {
            column = named;
            first = 1;
        }
    }
    QList<WorkTypeRow> rows;
    for (qsizetype r = first; r < csv.records.size(); ++r) {
        const QStringList& fields = csv.records.at(r).fields;
        const auto cell = [&fields](qsizetype c) { return c < 0 ? QString() : fields.value(c); };
        rows.append({ cell(column[0]), cell(column[1]), cell(column[2]) });
    }
    read.rows = WorkTypeList::cleaned(rows);
    return read;
}

QString WorkTypeFile::save(const QList<WorkTypeRow>& rows, const QString& file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    SafeFile out(file);
    const QString failed = file + QStringLiteral("\n\n工種の一覧を保存できませんでした (%1).");
    if (!out.open())
        return failed.arg(out.failure());
    QString text = csv_record({ columnNames[0], columnNames[1], columnNames[2] });
    for (const WorkTypeRow& row : WorkTypeList::cleaned(rows))
        text += csv_record({ row.workType, row.kind, row.detail });
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size() || !out.commit())
        return failed.arg(out.failure());
    return {};
}

} // namespace zk
