#include "infofile.h"

#include "docfile/jsonscanner.h"
#include "docfile/photoinfojson.h"
#include "docfile/safefile.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <array>

namespace zk {

namespace {

const QLatin1String FormatName("zelkora-photo-info");

// 64 hex digits, as sha256sum prints them.
bool isSha256(QByteArrayView s)
{
    return s.size() == 64
        && std::all_of(s.begin(), s.end(),
            [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

using Outcome = InfoReadResult::Outcome;

struct Parsed
{
    QList<SetAsideInfo> entries;
    QList<SetAsideInfo> setAside;
};

// The items' names as they stand in the file, in InfoItem order.
const std::array<QByteArray, InfoItemCount>& itemNames()
{
    static const std::array<QByteArray, InfoItemCount> names = [] {
        std::array<QByteArray, InfoItemCount> n;
        for (int i = 0; i < InfoItemCount; ++i)
            n[size_t(i)] = info_item_name(InfoItem(i)).toUtf8();
        return n;
    }();
    return names;
}

bool readStrings(JsonScanner& s, QStringList* list)
{
    QString value;
    s.enterArray();
    while (s.nextElement()) {
        if (!s.readString(&value))
            return false;
        list->append(value);
    }
    return !s.failed();
}

bool readDrawings(JsonScanner& s, QList<ReferenceDrawing>* drawings)
{
    s.enterArray();
    while (s.nextElement()) {
        ReferenceDrawing d;
        QByteArrayView key;
        s.enterObject();
        while (s.nextKey(&key)) {
            if (key == "path")
                s.readString(&d.path);
            else if (key == "title")
                s.readString(&d.title);
            else
                s.skipValue();
        }
        drawings->append(d);
    }
    return !s.failed();
}

// Names that are not items are skipped: a later program may know more.
bool readInfo(JsonScanner& s, PhotoInfo* info)
{
    const auto& names = itemNames();
    QByteArrayView key;
    QString value;
    s.enterObject();
    while (s.nextKey(&key)) {
        const auto found = std::find(names.cbegin(), names.cend(), key);
        const auto item = InfoItem(found - names.cbegin());
        if (found == names.cend())
            s.skipValue();
        else if (item == InfoItem::Reserves)
            readStrings(s, &info->reserves);
        else if (item == InfoItem::Drawings)
            readDrawings(s, &info->drawings);
        else if (s.readString(&value))
            info->setText(item, value);
    }
    return !s.failed();
}

bool readWhole(JsonScanner& s, qint64* value)
{
    double d = 0;
    // Sizes and times are whole numbers well inside a double's exact range.
    if (!s.readNumber(&d) || d != double(qint64(d)))
        return s.fail(QStringLiteral("整数ではありません"));
    *value = qint64(d);
    return true;
}

bool readRecord(JsonScanner& s, PhotoRecord* record)
{
    QByteArrayView key;
    QString sha;
    s.enterObject();
    while (s.nextKey(&key)) {
        if (key == "size")
            readWhole(s, &record->size);
        else if (key == "modified")
            readWhole(s, &record->modified);
        else if (key == "sha256" && s.readString(&sha))
            record->sha256 = sha.toLatin1();
        else if (key != "sha256")
            s.skipValue();
    }
    if (!s.failed() && (record->size < 0 || !(record->sha256.isEmpty() || isSha256(record->sha256))))
        return s.fail(QStringLiteral("\"record\" の大きさか SHA-256 が正しくありません"));
    return !s.failed();
}

bool readItems(JsonScanner& s, QList<SetAsideInfo>* list)
{
    s.enterArray();
    while (s.nextElement()) {
        SetAsideInfo item;
        QByteArrayView key;
        double position = 0;
        bool positioned = false;
        s.enterObject();
        while (s.nextKey(&key)) {
            if (key == "position")
                positioned = s.readNumber(&position);
            else if (key == "image")
                s.readString(&item.image);
            else if (key == "info")
                readInfo(s, &item.info);
            else if (key == "record")
                readRecord(s, &item.record);
            else
                s.skipValue();
        }
        if (!s.failed() && !positioned)
            return s.fail(QStringLiteral("\"position\" がありません"));
        item.position = int(qBound(-1.0, position, double(EntryTable::MaxEntries + 1)));
        list->append(std::move(item));
    }
    return !s.failed();
}

// Reads the whole file before anything is applied, so that a damaged file
// changes nothing. On Damaged and Newer, why says what was found. Without
// `parsed` the file is only looked through.
Outcome parse(QByteArrayView bytes, Parsed* parsed, QString* why)
{
    JsonScanner s(bytes);
    QByteArrayView key;
    QString format;
    double version = 0;
    Parsed scratch;
    Parsed* into = parsed ? parsed : &scratch;
    s.enterObject();
    while (s.nextKey(&key)) {
        if (key == "format") {
            s.readString(&format);
        } else if (key == "version") {
            s.readNumber(&version);
            // What a later program wrote is not ours to judge.
            if (version > InfoFile::Version && format == FormatName) {
                *why = QStringLiteral("版 %1").arg(version);
                return Outcome::Newer;
            }
        } else if (key == "entries" && parsed) {
            readItems(s, &into->entries);
        } else if (key == "setAside" && parsed) {
            readItems(s, &into->setAside);
        } else {
            s.skipValue();
        }
    }
    if (format != FormatName && !s.failed()) {
        *why = QStringLiteral("Zelkora の写真情報ファイルではありません");
        return Outcome::Damaged;
    }
    if (!s.failed() && version < 1)
        s.fail(QStringLiteral("版の番号がありません"));
    if (!s.atEnd() && !s.failed())
        s.fail(QStringLiteral("終わりの後に続きがあります"));
    if (s.failed()) {
        *why = s.error();
        return Outcome::Damaged;
    }
    return Outcome::Read;
}

// The file's bytes, or why they cannot be had.
bool readBytes(const QString& path, QByteArray* bytes, QString* why)
{
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        *why = QStringLiteral("通常のファイルではありません");
        return false;
    }
    if (file.size() > InfoFile::MaxSize) {
        *why = QStringLiteral("%1 MiB を超えています").arg(InfoFile::MaxSize / (1024 * 1024));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = file.errorString();
        return false;
    }
    return true;
}

// A free name to keep an unreadable file under: X.zkinfo.bak, X.zkinfo.2.bak, …
QString backupName(const QString& path)
{
    QString name = path + QLatin1String(".bak");
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + QStringLiteral(".%1.bak").arg(n);
    return name;
}

QString failed(const QString& path, const QString& cause)
{
    return QStringLiteral("%1\n\n写真情報を保存できませんでした (%2). "
                          "写真帳ファイルは保存されています.")
        .arg(QDir::toNativeSeparators(path), cause);
}

} // namespace

QString InfoFile::path_for(const QString& albumPath)
{
    const QFileInfo album(albumPath);
    const QString base = album.completeBaseName().isEmpty() ? album.fileName() : album.completeBaseName();
    return album.dir().filePath(base + QLatin1String(".zkinfo"));
}

QByteArray InfoFile::encode(const Document& document)
{
    const EntryTable& table = document.entries;
    QByteArray out;
    bool any = false;
    out += "{\"format\":\"zelkora-photo-info\",\"version\":" + QByteArray::number(Version)
        + ",\n\"entries\":[";
    for (int p = 1; p <= table.entry_count(); ++p) {
        const Entry& e = table.entry(p);
        const auto record
            = e.image.isEmpty() ? document.records.constEnd() : document.records.constFind(e.image);
        const bool recorded = record != document.records.constEnd() && record->isValid();
        if (!recorded && e.info.isEmpty())
            continue;
        out += any ? ",\n" : "\n";
        any = true;
        PhotoInfoJson::append_item(out, p, e.image, e.info, recorded ? *record : PhotoRecord {});
    }
    out += "],\n\"setAside\":[";
    for (qsizetype i = 0; i < document.setAside.size(); ++i) {
        const SetAsideInfo& s = document.setAside.at(i);
        out += i ? ",\n" : "\n";
        PhotoInfoJson::append_item(out, s.position, s.image, s.info, s.record);
    }
    out += "]}\n";
    if (!any && document.setAside.isEmpty())
        return {};
    return out;
}

InfoReadResult InfoFile::decode(const QByteArray& bytes, Document* document)
{
    InfoReadResult result;
    Parsed parsed;
    result.outcome = parse(bytes, &parsed, &result.message);
    if (result.outcome != Outcome::Read)
        return result;
    EntryTable& table = document->entries;
    QList<bool> matched(table.entry_count() + 1, false);
    QSet<QString> images;
    for (SetAsideInfo& item : parsed.entries) {
        const int p = item.position;
        if (p >= 1 && p <= table.entry_count() && !matched.at(p) && table.entry(p).image == item.image) {
            matched[p] = true;
            table.set_info(p, item.info);
            if (item.record.isValid() && !item.image.isEmpty())
                document->records.insert(item.image, item.record);
            continue;
        }
        if (item.info.isEmpty()) {
            // Only a record: still good for the same photo elsewhere in the album.
            if (images.isEmpty()) {
                for (int q = 1; q <= table.entry_count(); ++q)
                    images.insert(table.entry(q).image);
            }
            if (item.record.isValid() && images.contains(item.image))
                document->records.insert(item.image, item.record);
            continue;
        }
        document->setAside.append(std::move(item));
        ++result.setAside;
    }
    document->setAside.append(parsed.setAside);
    return result;
}

InfoReadResult InfoFile::read(const QString& albumPath, Document* document)
{
    const QString path = path_for(albumPath);
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return {};
    const QString name = file.fileName();
    QByteArray bytes;
    QString why;
    InfoReadResult result;
    if (readBytes(path, &bytes, &why)) {
        result = decode(bytes, document);
        why = result.message;
    } else {
        result.outcome = Outcome::Damaged;
    }
    const QString kept = QStringLiteral("写真帳は写真情報なしで開きます. このファイルは変更せず, "
                                        "次に保存するときに「%1」として残します.")
                             .arg(QFileInfo(backupName(path)).fileName());
    switch (result.outcome) {
    case Outcome::Missing:
        break;
    case Outcome::Read:
        result.message = result.setAside == 0 ? QString()
            : QStringLiteral("写真情報のうち %1 件は, 写真帳の写真と一致しないため別に保管しました. "
                             "写真帳ファイルがほかのプログラムで変更された可能性があります.")
                  .arg(result.setAside);
        break;
    case Outcome::Damaged:
        result.message = QStringLiteral("写真情報ファイル「%1」を読めませんでした (%2). %3")
                             .arg(name, why, kept);
        break;
    case Outcome::Newer:
        result.message = QStringLiteral("写真情報ファイル「%1」は新しい版の Zelkora で書かれているため"
                                        "読めません (%2). %3")
                             .arg(name, why, kept);
        break;
    }
    return result;
}

QString InfoFile::write(const QString& albumPath, const Document& document)
{
    const QString path = path_for(albumPath);
    const QByteArray bytes = encode(document);
    const QFileInfo existing(path);
    if (existing.exists() || existing.isSymLink()) {
        QByteArray old;
        QString why;
        const bool ours = readBytes(path, &old, &why) && parse(old, nullptr, &why) == Outcome::Read;
        if (!ours && existing.isFile()) {
            // Never overwrite what could not be read: it may hold what the
            // user entered, or what a later program wrote.
            const QString backup = backupName(path);
            if (!QFile::rename(path, backup))
                return failed(path, QStringLiteral("読めなかったファイルを「%1」として残せません")
                                        .arg(QFileInfo(backup).fileName()));
        } else if (ours && bytes.isEmpty()) {
            if (!QFile::remove(path))
                return failed(path, QStringLiteral("前の写真情報ファイルを削除できません"));
            return {};
        }
    }
    if (bytes.isEmpty())
        return {};
    return write_file_atomically(path, bytes).message;
}

} // namespace zk
