#include "infofile.h"

#include "docfile/albumjson.h"
#include "docfile/jsonscanner.h"
#include "docfile/photoinfojson.h"
#include "docfile/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <charconv>

namespace zk {

namespace {

const QLatin1String FormatName("zelkora-photo-info");

// 64 hex digits, as sha256sum prints them.
bool isSha256(QByteArrayView s)
{
    return s.size() == 64 && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

using Outcome = InfoReadResult::Outcome;

using Row = InfoFile::Row;
using Content = InfoFile::Content;

SetAsideInfo setAside(Row&& row)
{
    return { row.position, row.folder + row.name, std::move(row.info), row.record };
}

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
        if (!s.readSharedString(&value))
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
        else if (s.readSharedString(&value))
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
    if (!s.failed()
        && (record->size < 0 || !(record->sha256.isEmpty() || isSha256(record->sha256))))
        return s.fail(QStringLiteral("\"record\" の大きさか SHA-256 が正しくありません"));
    return !s.failed();
}

// A text of version 2: a string, or the number of one in the table.
bool readText(JsonScanner& s, const QStringList& texts, QString* value)
{
    if (s.peek() != JsonScanner::Kind::Number)
        return s.readString(value);
    double index = -1;
    if (!s.readNumber(&index))
        return false;
    if (!(index >= 0 && index < double(texts.size()) && index == double(int(index))))
        return s.fail(QStringLiteral("文字列の番号 %1 が表にありません").arg(index));
    *value = texts.at(int(index));
    return true;
}

// The items of version 2 in InfoItem order; 工種区分予備 an array of texts,
// 参考図 one of file and title by turns. Items past the last one known are
// skipped: a later program may know more.
bool readInfoCells(JsonScanner& s, const QStringList& texts, PhotoInfo* info)
{
    QString value;
    int i = 0;
    s.enterArray();
    while (s.nextElement()) {
        const auto item = InfoItem(i++);
        if (i > InfoItemCount) {
            s.skipValue();
        } else if (item == InfoItem::Reserves) {
            s.enterArray();
            while (s.nextElement() && readText(s, texts, &value))
                info->reserves.append(value);
        } else if (item == InfoItem::Drawings) {
            s.enterArray();
            while (s.nextElement()) {
                ReferenceDrawing d;
                if (!readText(s, texts, &d.path) || !s.nextElement()
                    || !readText(s, texts, &d.title))
                    return s.fail(QStringLiteral("参考図はファイルと題名の組でなければなりません"));
                info->drawings.append(std::move(d));
            }
        } else {
            readText(s, texts, &(info->*PhotoInfo::member(item)));
        }
    }
    return !s.failed();
}

// [position, folder, name, [items], size, modified, "sha256"]; the record's
// three are left out where there is none.
bool readRow(JsonScanner& s, const QStringList& texts, Row* row)
{
    double position = 0;
    s.enterArray();
    if (!s.nextElement() || !s.readNumber(&position) || !s.nextElement()
        || !readText(s, texts, &row->folder) || !s.nextElement() || !s.readString(&row->name)
        || !s.nextElement() || !readInfoCells(s, texts, &row->info))
        return s.fail(
            QStringLiteral("項目は [位置, フォルダー, 名前, [写真情報], …] でなければなりません"));
    row->position = int(qBound(-1.0, position, double(EntryTable::MaxEntries + 1)));
    if (s.nextElement()) {
        QString sha;
        if (!readWhole(s, &row->record.size) || !s.nextElement()
            || !readWhole(s, &row->record.modified) || !s.nextElement() || !s.readString(&sha))
            return s.fail(QStringLiteral("記録は大きさ, 時刻, SHA-256 の三つでなければなりません"));
        row->record.sha256 = sha.toLatin1();
        if (row->record.size < 0 || !(sha.isEmpty() || isSha256(row->record.sha256)))
            return s.fail(QStringLiteral("記録の大きさか SHA-256 が正しくありません"));
        // A later program may add more.
        while (s.nextElement())
            s.skipValue();
    }
    return !s.failed();
}

// Rows of version 2 are arrays, those of version 1 objects
// {"position", "image", "info", "record"}.
bool readItems(JsonScanner& s, const QStringList& texts, QList<Row>* list)
{
    s.enterArray();
    while (s.nextElement()) {
        // Read in place: a row is large to move.
        Row& row = list->emplaceBack();
        if (s.peek() == JsonScanner::Kind::Array) {
            if (!readRow(s, texts, &row))
                return false;
            continue;
        }
        QByteArrayView key;
        double position = 0;
        bool positioned = false;
        s.enterObject();
        while (s.nextKey(&key)) {
            if (key == "position")
                positioned = s.readNumber(&position);
            else if (key == "image")
                s.readString(&row.name);
            else if (key == "info")
                readInfo(s, &row.info);
            else if (key == "record")
                readRecord(s, &row.record);
            else
                s.skipValue();
        }
        if (!s.failed() && !positioned)
            return s.fail(QStringLiteral("\"position\" がありません"));
        row.position = int(qBound(-1.0, position, double(EntryTable::MaxEntries + 1)));
    }
    return !s.failed();
}

// Reads the whole file before anything is applied, so that a damaged file
// changes nothing. On Damaged and Newer, why says what was found. Without
// `parsed` the file is only looked through.
Outcome parse(QByteArrayView bytes, Content* parsed, QString* why)
{
    JsonScanner s(bytes);
    QByteArrayView key;
    QString format;
    double version = 0;
    QStringList texts;
    bool textsRead = false;
    // Where the rows stand when they come before the texts they refer to.
    qsizetype entriesAt = -1;
    qsizetype setAsideAt = -1;
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
        } else if (key == "strings" && parsed) {
            s.enterArray();
            QString text;
            while (s.nextElement() && s.readString(&text))
                texts.append(text);
            textsRead = true;
        } else if ((key == "entries" || key == "setAside") && parsed) {
            QList<Row>* list = key == "entries" ? &parsed->entries : &parsed->setAside;
            if (textsRead || version == 1) {
                readItems(s, texts, list);
            } else {
                (key == "entries" ? entriesAt : setAsideAt) = s.offset();
                s.skipValue();
            }
        } else {
            s.skipValue();
        }
    }
    if (parsed && (entriesAt >= 0 || setAsideAt >= 0) && !s.failed()) {
        const qsizetype end = s.offset();
        for (const auto& [at, list] :
            { std::pair(entriesAt, &parsed->entries), std::pair(setAsideAt, &parsed->setAside) }) {
            if (at >= 0 && !s.failed()) {
                s.seek(at);
                readItems(s, texts, list);
            }
        }
        if (!s.failed())
            s.seek(end);
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

// FNV-1a over the bytes taken as 64-bit little-endian words (the last one
// filled with zero bytes): the file ends with its check, so that a save
// knows the file it replaces for one of its own without reading it through.
// Not a defence against tampering: a file that fails it is read through.
quint64 checkOf(QByteArrayView bytes)
{
    quint64 h = 14695981039346656037ULL;
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    for (; left >= 8; left -= 8, p += 8)
        h = (h ^ qFromLittleEndian<quint64>(p)) * 1099511628211ULL;
    if (left > 0) {
        char last[8] = {};
        std::copy(p, p + left, last);
        h = (h ^ qFromLittleEndian<quint64>(last)) * 1099511628211ULL;
    }
    return h;
}

constexpr QByteArrayView CheckKey(",\"check\":\"");
constexpr qsizetype CheckTail = 16 + 3; // 16 hex digits, "}\n

// True when the bytes end with the check of all before it and begin as a
// file of this version or an earlier one does.
bool checked(QByteArrayView bytes)
{
    const qsizetype at = bytes.size() - CheckTail - CheckKey.size();
    if (at <= 0 || !bytes.sliced(at).startsWith(CheckKey) || !bytes.endsWith("\"}\n"))
        return false;
    bool ok = false;
    const quint64 stated
        = bytes.sliced(at + CheckKey.size(), 16).toByteArray().toULongLong(&ok, 16);
    if (!ok || stated != checkOf(bytes.first(at)))
        return false;
    JsonScanner s(bytes);
    QByteArrayView key;
    QString format;
    double version = 0;
    return s.enterObject() && s.nextKey(&key) && key == "format" && s.readString(&format)
        && format == FormatName && s.nextKey(&key) && key == "version" && s.readNumber(&version)
        && version >= 1 && version <= InfoFile::Version;
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

// The texts an information file refers to by number: the classification
// and the photos' folders repeat over thousands of entries. Views into the
// document, which outlives the table and does not change meanwhile.
class TextTable
{
public:
    TextTable() { add({}); }

    int add(QStringView text)
    {
        // Equal texts are mostly one shared string: its place is tried first.
        Recent& recent = recents[(quintptr(text.data()) / sizeof(QChar)) % recents.size()];
        if (recent.data == text.data() && recent.size == text.size())
            return recent.index;
        auto found = index.constFind(text);
        if (found == index.cend()) {
            found = index.insert(text, int(texts.size()));
            texts.append(text);
            size += text.size() * 3 + 3;
        }
        recent = { text.data(), text.size(), *found };
        return *found;
    }
    qsizetype bytes() const { return size; }
    void appendTo(QByteArray& out) const
    {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i)
                out += i % 16 ? "," : ",\n";
            AlbumJson::append_json_string(out, texts.at(i));
        }
    }

private:
    struct Recent
    {
        const QChar* data = nullptr;
        qsizetype size = -1;
        int index = 0;
    };
    std::array<Recent, 251> recents;
    QHash<QStringView, int> index;
    QList<QStringView> texts;
    qsizetype size = 0;
};

// A row's bytes gathered on the stack and added to the file at once: most
// of a row is small numbers, and adding them one by one costs more than
// making them.
class RowWriter
{
public:
    explicit RowWriter(QByteArray& out) : out(out) { }
    ~RowWriter() { flush(); }

    void put(char c)
    {
        room(1);
        *end++ = c;
    }
    void number(qint64 value)
    {
        room(20);
        end = std::to_chars(end, buffer.data() + buffer.size(), value).ptr;
    }
    void text(TextTable& texts, QStringView text) { number(texts.add(text)); }
    // Plain short ASCII as it is; anything else escaped as the album's JSON is.
    void string(QStringView s)
    {
        const bool plain = s.size() <= 64 && std::all_of(s.begin(), s.end(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() < 0x80 && c != u'"' && c != u'\\';
        });
        if (!plain) {
            flush();
            AlbumJson::append_json_string(out, s);
            return;
        }
        room(s.size() + 2);
        *end++ = '"';
        for (const QChar c : s)
            *end++ = char(c.unicode());
        *end++ = '"';
    }
    void ascii(QByteArrayView bytes)
    {
        room(bytes.size());
        if (bytes.size() > qsizetype(buffer.size())) {
            out += bytes;
            return;
        }
        end = std::copy(bytes.begin(), bytes.end(), end);
    }

private:
    void room(qsizetype n)
    {
        if (end + n > buffer.data() + buffer.size())
            flush();
    }
    void flush()
    {
        out.append(buffer.data(), end - buffer.data());
        end = buffer.data();
    }

    QByteArray& out;
    std::array<char, 512> buffer;
    char* end = buffer.data();
};

// One entry as readRow() reads it.
void appendRow(QByteArray& out, TextTable& texts, int position, const QString& image,
    const PhotoInfo& info, const PhotoRecord& record)
{
    RowWriter w(out);
    const qsizetype cut = std::max(image.lastIndexOf(u'\\'), image.lastIndexOf(u'/')) + 1;
    w.put('[');
    w.number(position);
    w.put(',');
    w.text(texts, QStringView(image).first(cut));
    w.put(',');
    w.string(QStringView(image).sliced(cut));
    w.ascii(",[");
    int given = InfoItemCount;
    while (given > 0 && !info.has(InfoItem(given - 1)))
        --given;
    for (int i = 0; i < given; ++i) {
        const auto item = InfoItem(i);
        if (i)
            w.put(',');
        if (item == InfoItem::Reserves) {
            w.put('[');
            for (qsizetype k = 0; k < info.reserves.size(); ++k) {
                if (k)
                    w.put(',');
                w.text(texts, info.reserves.at(k));
            }
            w.put(']');
        } else if (item == InfoItem::Drawings) {
            w.put('[');
            for (qsizetype k = 0; k < info.drawings.size(); ++k) {
                if (k)
                    w.put(',');
                w.text(texts, info.drawings.at(k).path);
                w.put(',');
                w.text(texts, info.drawings.at(k).title);
            }
            w.put(']');
        } else {
            w.text(texts, info.field(item));
        }
    }
    w.put(']');
    if (record.isValid()) {
        w.put(',');
        w.number(record.size);
        w.put(',');
        w.number(record.modified);
        w.ascii(",\"");
        w.ascii(record.sha256);
        w.put('"');
    }
    w.put(']');
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
    const QString base
        = album.completeBaseName().isEmpty() ? album.fileName() : album.completeBaseName();
    return album.dir().filePath(base + QLatin1String(".zkinfo"));
}

QByteArray InfoFile::encode(const Document& document)
{
    const EntryTable& table = document.entries;
    const auto recordOf = [&document](const QString& image) -> const PhotoRecord* {
        const auto found
            = image.isEmpty() ? document.records.cend() : document.records.constFind(image);
        return found == document.records.cend() ? nullptr : &found.value();
    };
    TextTable texts;
    QByteArray rows;
    rows.reserve(qsizetype(table.entry_count()) * 128);
    bool any = false;
    for (int p = 1; p <= table.entry_count(); ++p) {
        const Entry& e = table.entry(p);
        const PhotoRecord* record = recordOf(e.image);
        const bool recorded = record && record->isValid();
        if (!recorded && e.info.isEmpty())
            continue;
        rows += any ? ",\n" : "\n";
        any = true;
        appendRow(rows, texts, p, e.image, e.info, recorded ? *record : PhotoRecord {});
    }
    if (!any && document.setAside.isEmpty())
        return {};
    rows += "],\n\"setAside\":[";
    for (qsizetype i = 0; i < document.setAside.size(); ++i) {
        const SetAsideInfo& s = document.setAside.at(i);
        rows += i ? ",\n" : "\n";
        appendRow(rows, texts, s.position, s.image, s.info, s.record);
    }
    rows += ']';

    QByteArray out;
    out.reserve(texts.bytes() + rows.size() + 256);
    out += "{\"format\":\"zelkora-photo-info\",\"version\":" + QByteArray::number(Version)
        + ",\n\"strings\":[";
    texts.appendTo(out);
    out += "],\n\"entries\":[";
    out += rows;
    const QByteArray check = QByteArray::number(checkOf(out), 16).rightJustified(16, '0');
    out += CheckKey.toByteArray() + check + "\"}\n";
    return out;
}

bool InfoFile::Row::isOf(const QString& image) const
{
    return image.size() == folder.size() + name.size() && image.startsWith(folder)
        && QStringView(image).sliced(folder.size()) == name;
}

namespace {

Content parseContent(QByteArrayView bytes)
{
    Content content;
    // A row a line, as written: the rows are read in place, never moved.
    const qsizetype lines = std::count(bytes.begin(), bytes.end(), '\n');
    content.entries.reserve(std::min<qsizetype>(lines, EntryTable::MaxEntries + 1));
    content.outcome = parse(bytes, &content, &content.why);
    if (content.outcome != Outcome::Read) {
        content.entries.clear();
        content.setAside.clear();
    }
    return content;
}

// Entries are matched by position and confirmed by photo path; what no
// longer matches goes to document->setAside.
InfoReadResult match(Content content, Document* document)
{
    InfoReadResult result;
    result.outcome = Outcome::Read;
    EntryTable& table = document->entries;
    QList<bool> matched(table.entry_count() + 1, false);
    // The rows that belong to their entries, with the entries' own paths:
    // the records share those strings instead of holding copies.
    struct Owned
    {
        Row* row;
        QString image;
    };
    QList<Owned> owned;
    owned.reserve(content.entries.size());
    QList<Row*> others;
    for (Row& row : content.entries) {
        const int p = row.position;
        if (p >= 1 && p <= table.entry_count() && !matched.at(p)
            && row.isOf(table.entry(p).image)) {
            matched[p] = true;
            owned.append({ &row, table.entry(p).image });
        } else {
            others.append(&row);
        }
    }
    // The records go into their table on a second thread while the items
    // move into the entries: each side touches only its own members of a row.
    document->records.reserve(document->records.size() + owned.size());
    std::unique_ptr<QThread> recorder(QThread::create([&owned, document] {
        for (const Owned& o : std::as_const(owned)) {
            if (o.row->record.isValid() && !o.image.isEmpty())
                document->records.insert(o.image, o.row->record);
        }
    }));
    recorder->start();
    for (const Owned& o : std::as_const(owned)) {
        if (!o.row->info.isEmpty())
            table.set_info(o.row->position, std::move(o.row->info));
    }
    recorder->wait();
    QSet<QString> images;
    for (Row* other : std::as_const(others)) {
        Row& row = *other;
        SetAsideInfo item = setAside(std::move(row));
        if (item.info.isEmpty()) {
            // Only a record: still good for the same photo elsewhere in the album.
            if (images.isEmpty()) {
                for (int q = 1; q <= table.entry_count(); ++q)
                    images.insert(table.entry(q).image);
            }
            // The record of a row that matched its entry is the one to keep.
            if (item.record.isValid() && images.contains(item.image)
                && !document->records.contains(item.image))
                document->records.insert(item.image, item.record);
            continue;
        }
        document->setAside.append(std::move(item));
        ++result.setAside;
    }
    for (Row& row : content.setAside)
        document->setAside.append(setAside(std::move(row)));
    return result;
}

} // namespace

InfoReadResult InfoFile::decode(const QByteArray& bytes, Document* document)
{
    Content content = parseContent(bytes);
    if (content.outcome != Outcome::Read)
        return { content.outcome, 0, content.why };
    return match(std::move(content), document);
}

InfoFile::Content InfoFile::load(const QString& albumPath)
{
    const QString path = path_for(albumPath);
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return {};
    QByteArray bytes;
    Content content;
    if (!readBytes(path, &bytes, &content.why)) {
        content.outcome = Outcome::Damaged;
        return content;
    }
    return parseContent(bytes);
}

InfoReadResult InfoFile::apply(Content content, const QString& albumPath, Document* document)
{
    const QString path = path_for(albumPath);
    const QString name = QFileInfo(path).fileName();
    const QString why = content.why;
    InfoReadResult result;
    result.outcome = content.outcome;
    if (content.outcome == Outcome::Read)
        result = match(std::move(content), document);
    const QString kept = QStringLiteral("写真帳は写真情報なしで開きます. このファイルは変更せず, "
                                        "次に保存するときに「%1」として残します.")
                             .arg(QFileInfo(backupName(path)).fileName());
    switch (result.outcome) {
    case Outcome::Missing:
        break;
    case Outcome::Read:
        result.message = result.setAside == 0
            ? QString()
            : QStringLiteral(
                "写真情報のうち %1 件は, 写真帳の写真と一致しないため別に保管しました. "
                "写真帳ファイルがほかのプログラムで変更された可能性があります.")
                  .arg(result.setAside);
        break;
    case Outcome::Damaged:
        result.message = QStringLiteral("写真情報ファイル「%1」を読めませんでした (%2). %3")
                             .arg(name, why, kept);
        break;
    case Outcome::Newer:
        result.message
            = QStringLiteral("写真情報ファイル「%1」は新しい版の Zelkora で書かれているため"
                             "読めません (%2). %3")
                  .arg(name, why, kept);
        break;
    }
    return result;
}

InfoReadResult InfoFile::read(const QString& albumPath, Document* document)
{
    return apply(load(albumPath), albumPath, document);
}

InfoFile::Prepared InfoFile::prepare(const QString& albumPath, const Document& document)
{
    const QString path = path_for(albumPath);
    Prepared prepared;
    prepared.bytes = encode(document);
    const QFileInfo existing(path);
    prepared.exists = existing.exists() || existing.isSymLink();
    prepared.regular = existing.isFile();
    if (prepared.exists) {
        QByteArray old;
        QString why;
        prepared.ours = readBytes(path, &old, &why)
            && (checked(old) || parse(old, nullptr, &why) == Outcome::Read);
    }
    return prepared;
}

QString InfoFile::commit(const QString& albumPath, const Prepared& prepared)
{
    const QString path = path_for(albumPath);
    if (prepared.exists) {
        if (!prepared.ours && prepared.regular) {
            // Never overwrite what could not be read: it may hold what the
            // user entered, or what a later program wrote.
            const QString backup = backupName(path);
            if (!QFile::rename(path, backup))
                return failed(path,
                    QStringLiteral("読めなかったファイルを「%1」として残せません")
                        .arg(QFileInfo(backup).fileName()));
        } else if (prepared.ours && prepared.bytes.isEmpty()) {
            if (!QFile::remove(path))
                return failed(path, QStringLiteral("前の写真情報ファイルを削除できません"));
            return {};
        }
    }
    if (prepared.bytes.isEmpty())
        return {};
    return write_file_atomically(path, prepared.bytes).message;
}

QString InfoFile::write(const QString& albumPath, const Document& document)
{
    return commit(albumPath, prepare(albumPath, document));
}

} // namespace zk
