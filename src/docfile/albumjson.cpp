#include "albumjson.h"

#include "docfile/photoinfojson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringEncoder>

#include <algorithm>

namespace zk {

namespace {

QByteArray compact(const QJsonValue& value)
{
    // QJsonDocument only wraps arrays and objects; a one-element array is cut open.
    const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QByteArray AlbumJson::fromDocument(const Document& document)
{
    // One entry per line, so that dumps read and diff well. The strings are
    // written directly: a QJsonObject per entry made the recovery copy of a
    // large album cost several saves.
    QByteArray out;
    out.reserve(256 + qsizetype(document.entries.entry_count()) * 64);
    out += "{\n  \"cover\": [";
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        if (n > 1)
            out += ',';
        append_json_string(out, document.cover.line(n));
    }
    out += "],\n  \"entries\": [";
    const EntryTable& table = document.entries;
    for (int i = 1; i <= table.entry_count(); ++i) {
        const Entry& e = table.entry(i);
        // The keys in QJsonObject's order, as dumps have always had them.
        out += i == 1 ? "\n    {\"image\":" : ",\n    {\"image\":";
        append_json_string(out, e.image);
        // Information only where there is some, so that albums without any
        // dump as they always did.
        if (!e.info.isEmpty()) {
            out += ",\"info\":";
            PhotoInfoJson::append_info(out, e.info);
        }
        out += ",\"number\":";
        append_json_string(out, e.number);
        out += ",\"text\":";
        append_json_string(out, e.text);
        out += ",\"title\":";
        append_json_string(out, e.title);
        out += '}';
    }
    out += "\n  ]";
    if (!document.records.isEmpty()) {
        // In path order, so that the same album always dumps the same.
        QStringList paths = document.records.keys();
        std::sort(paths.begin(), paths.end());
        out += ",\n  \"records\": {";
        for (qsizetype i = 0; i < paths.size(); ++i) {
            out += i ? ",\n    " : "\n    ";
            append_json_string(out, paths.at(i));
            out += ':';
            PhotoInfoJson::append_record(out, document.records.value(paths.at(i)));
        }
        out += "\n  }";
    }
    if (!document.setAside.isEmpty()) {
        out += ",\n  \"setAside\": [";
        for (qsizetype i = 0; i < document.setAside.size(); ++i) {
            const SetAsideInfo& s = document.setAside.at(i);
            out += i ? ",\n    " : "\n    ";
            PhotoInfoJson::append_item(out, s.position, s.image, s.info, s.record);
        }
        out += "\n  ]";
    }
    out += "\n}\n";
    return out;
}

void AlbumJson::append_json_string(QByteArray& out, QStringView s)
{
    // The same escapes as QJsonDocument writes, so that output stays byte for
    // byte what it was: the short escapes, \u00XX for other controls, UTF-8
    // for characters, and \uXXXX for a surrogate without its partner (the
    // bytes a file held that had no character).
    const auto hex = [](unsigned v) { return "0123456789abcdef"[v & 0xf]; };
    const auto escape = [&out, &hex](char16_t u) {
        out += "\\u";
        out += hex(u >> 12);
        out += hex(u >> 8);
        out += hex(u >> 4);
        out += hex(u);
    };
    out += '"';
    const qsizetype n = s.size();
    // Most strings need no escape and hold no lone surrogate: they go to
    // UTF-8 in one call, which is what makes large albums quick to write.
    const bool plain = std::none_of(s.begin(), s.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || u == '"' || u == '\\' || (u >= 0xd800 && u < 0xe000);
    });
    if (plain) {
        const qsizetype at = out.size();
        // resize() past the capacity grows to the exact size: grow by
        // doubling instead, or a long dump reallocates on every string.
        if (out.capacity() < at + 3 * n)
            out.reserve(std::max(at + 3 * n, 2 * out.capacity()));
        out.resize(at + 3 * n);
        QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        const char* end = utf8.appendToBuffer(out.data() + at, s);
        out.resize(end - out.constData());
        out += '"';
        return;
    }
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i].unicode();
        if (u < 0x80) {
            switch (u) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (u < 0x20)
                    escape(u);
                else
                    out += char(u);
            }
        } else if (u < 0x800) {
            out += char(0xc0 | (u >> 6));
            out += char(0x80 | (u & 0x3f));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && s[i + 1].isLowSurrogate()) {
            const char32_t c = QChar::surrogateToUcs4(u, s[++i].unicode());
            out += char(0xf0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3f));
            out += char(0x80 | ((c >> 6) & 0x3f));
            out += char(0x80 | (c & 0x3f));
        } else if (QChar::isSurrogate(u)) {
            escape(u);
        } else {
            out += char(0xe0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3f));
            out += char(0x80 | (u & 0x3f));
        }
    }
    out += '"';
}

namespace {

// The fourteen cover lines, all strings.
bool readCover(const QJsonObject& root, Document* result, QString* error)
{
    const QJsonArray cover = root.value(QStringLiteral("cover")).toArray();
    if (cover.size() != CoverData::FieldCount) {
        *error = QStringLiteral("\"cover\" には14個の文字列が必要です.");
        return false;
    }
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        if (!cover.at(n - 1).isString()) {
            *error = QStringLiteral("\"cover\" の%1番目が文字列ではありません.").arg(n);
            return false;
        }
        result->cover.setLine(n, cover.at(n - 1).toString());
    }
    return true;
}

// The entries with their photo information.
bool readEntries(const QJsonObject& root, Document* result, QString* error)
{
    const QJsonValue entries = root.value(QStringLiteral("entries"));
    if (!entries.isArray()) {
        *error = QStringLiteral("\"entries\" の配列がありません.");
        return false;
    }
    const QJsonArray list = entries.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject e = list.at(i).toObject();
        QStringList fields;
        for (const char* name : { "number", "title", "text", "image" }) {
            const QJsonValue v = e.value(QLatin1String(name));
            if (!v.isUndefined() && !v.isString()) {
                *error = QStringLiteral("entries の%1番目の \"%2\" が文字列ではありません.")
                             .arg(i + 1)
                             .arg(QLatin1String(name));
                return false;
            }
            fields << v.toString();
        }
        if (!result->entries.append_entry(fields[0], fields[1], fields[2], fields[3])) {
            *error = QStringLiteral("写真の数が多すぎます (%1件まで).").arg(EntryTable::MaxEntries);
            return false;
        }
        const QJsonValue info = e.value(QLatin1String("info"));
        if (!info.isUndefined()) {
            PhotoInfo read;
            QString why;
            if (!PhotoInfoJson::read_info(info, &read, &why)) {
                *error = QStringLiteral("entries の%1番目: %2").arg(i + 1).arg(why);
                return false;
            }
            result->entries.set_info(result->entries.entry_count(), read);
        }
    }
    return true;
}

// What is kept beside the album: the photos' records and the information set aside.
bool readBeside(const QJsonObject& root, Document* result, QString* error)
{
    const QJsonValue records = root.value(QLatin1String("records"));
    if (!records.isUndefined() && !records.isObject()) {
        *error = QStringLiteral("\"records\" がオブジェクトではありません.");
        return false;
    }
    const QJsonObject recordMap = records.toObject();
    for (auto it = recordMap.constBegin(); it != recordMap.constEnd(); ++it) {
        PhotoRecord record;
        QString why;
        if (!PhotoInfoJson::read_record(it.value(), &record, &why)) {
            *error = QStringLiteral("records の「%1」: %2").arg(it.key(), why);
            return false;
        }
        result->records.insert(it.key(), record);
    }
    const QJsonValue setAside = root.value(QLatin1String("setAside"));
    if (!setAside.isUndefined() && !setAside.isArray()) {
        *error = QStringLiteral("\"setAside\" が配列ではありません.");
        return false;
    }
    const QJsonArray asideList = setAside.toArray();
    for (qsizetype i = 0; i < asideList.size(); ++i) {
        SetAsideInfo item;
        QString why;
        if (!PhotoInfoJson::read_set_aside(asideList.at(i), &item, &why)) {
            *error = QStringLiteral("setAside の%1番目: %2").arg(i + 1).arg(why);
            return false;
        }
        result->setAside.append(item);
    }
    return true;
}

} // namespace

bool AlbumJson::toDocument(const QByteArray& json, Document* document, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        *error = QStringLiteral("JSON を読めません (%1 文字目: %2).")
                     .arg(parseError.offset)
                     .arg(parseError.errorString());
        return false;
    }
    if (!doc.isObject()) {
        *error = QStringLiteral("JSON の最上位はオブジェクトでなければなりません.");
        return false;
    }
    const QJsonObject root = doc.object();
    Document result;
    if (!readCover(root, &result, error) || !readEntries(root, &result, error)
        || !readBeside(root, &result, error))
        return false;
    *document = std::move(result);
    return true;
}

QByteArray AlbumJson::fromStrings(const QStringList& strings)
{
    return compact(QJsonArray::fromStringList(strings)) + '\n';
}

} // namespace zk
