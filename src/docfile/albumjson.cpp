#include "albumjson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
    // One entry per line, so that dumps read and diff well.
    QJsonArray cover;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        cover.append(document.cover.line(n));

    QByteArray out = "{\n  \"cover\": " + compact(cover) + ",\n  \"entries\": [";
    const EntryTable& table = document.entries;
    for (int i = 1; i <= table.entry_count(); ++i) {
        const Entry& e = table.entry(i);
        const QJsonObject entry { { QStringLiteral("number"), e.number },
            { QStringLiteral("title"), e.title }, { QStringLiteral("text"), e.text },
            { QStringLiteral("image"), e.image } };
        out += (i == 1 ? "\n    " : ",\n    ") + compact(entry);
    }
    out += "\n  ]\n}\n";
    return out;
}

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
    const QJsonArray cover = root.value(QStringLiteral("cover")).toArray();
    if (cover.size() != CoverData::FieldCount) {
        *error = QStringLiteral("\"cover\" には14個の文字列が必要です.");
        return false;
    }
    Document result;
    for (int n = 1; n <= CoverData::FieldCount; ++n) {
        if (!cover.at(n - 1).isString()) {
            *error = QStringLiteral("\"cover\" の%1番目が文字列ではありません.").arg(n);
            return false;
        }
        result.cover.setLine(n, cover.at(n - 1).toString());
    }

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
        if (!result.entries.append_entry(fields[0], fields[1], fields[2], fields[3])) {
            *error = QStringLiteral("写真の数が多すぎます (%1件まで).").arg(EntryTable::MaxEntries);
            return false;
        }
    }
    *document = std::move(result);
    return true;
}

QByteArray AlbumJson::fromStrings(const QStringList& strings)
{
    return compact(QJsonArray::fromStringList(strings)) + '\n';
}

} // namespace zk
