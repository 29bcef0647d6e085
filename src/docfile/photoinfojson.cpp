#include "photoinfojson.h"

#include "docfile/albumjson.h"

#include <QJsonArray>

namespace zk {

namespace {

void appendKey(QByteArray& out, bool& first, QStringView key)
{
    out += first ? "" : ",";
    first = false;
    AlbumJson::append_json_string(out, key);
    out += ':';
}

// 64 hex digits, as sha256sum prints them.
bool isSha256(const QString& s)
{
    if (s.size() != 64)
        return false;
    for (const QChar c : s) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

} // namespace

void PhotoInfoJson::append_info(QByteArray& out, const PhotoInfo& info)
{
    out += '{';
    bool first = true;
    for (int i = 0; i < InfoItemCount; ++i) {
        const auto item = InfoItem(i);
        if (!info.has(item))
            continue;
        appendKey(out, first, info_item_name(item));
        if (item == InfoItem::Reserves) {
            out += '[';
            for (qsizetype k = 0; k < info.reserves.size(); ++k) {
                out += k ? "," : "";
                AlbumJson::append_json_string(out, info.reserves.at(k));
            }
            out += ']';
        } else if (item == InfoItem::Drawings) {
            out += '[';
            for (qsizetype k = 0; k < info.drawings.size(); ++k) {
                out += k ? ",{\"path\":" : "{\"path\":";
                AlbumJson::append_json_string(out, info.drawings.at(k).path);
                out += ",\"title\":";
                AlbumJson::append_json_string(out, info.drawings.at(k).title);
                out += '}';
            }
            out += ']';
        } else {
            AlbumJson::append_json_string(out, info.text(item));
        }
    }
    out += '}';
}

void PhotoInfoJson::append_record(QByteArray& out, const PhotoRecord& record)
{
    out += "{\"size\":" + QByteArray::number(record.size)
        + ",\"modified\":" + QByteArray::number(record.modified);
    if (!record.sha256.isEmpty())
        out += ",\"sha256\":\"" + record.sha256 + '"';
    out += '}';
}

void PhotoInfoJson::append_item(QByteArray& out, int position, const QString& image,
    const PhotoInfo& info, const PhotoRecord& record)
{
    out += "{\"position\":" + QByteArray::number(position) + ",\"image\":";
    AlbumJson::append_json_string(out, image);
    if (!info.isEmpty()) {
        out += ",\"info\":";
        append_info(out, info);
    }
    if (record.isValid()) {
        out += ",\"record\":";
        append_record(out, record);
    }
    out += '}';
}

bool PhotoInfoJson::read_info(const QJsonValue& value, PhotoInfo* info, QString* error)
{
    if (!value.isObject()) {
        *error = QStringLiteral("\"info\" がオブジェクトではありません.");
        return false;
    }
    const QJsonObject object = value.toObject();
    PhotoInfo result;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        InfoItem item;
        if (!info_item_from_name(it.key(), &item))
            continue;
        const QJsonValue v = it.value();
        const auto wrong = [&](const QString& what) {
            *error = QStringLiteral("\"%1\" が%2ではありません.").arg(it.key(), what);
            return false;
        };
        if (item == InfoItem::Reserves) {
            if (!v.isArray())
                return wrong(QStringLiteral("文字列の配列"));
            for (const QJsonValue& s : v.toArray()) {
                if (!s.isString())
                    return wrong(QStringLiteral("文字列の配列"));
                result.reserves.append(s.toString());
            }
        } else if (item == InfoItem::Drawings) {
            if (!v.isArray())
                return wrong(QStringLiteral("{\"path\", \"title\"} の配列"));
            for (const QJsonValue& d : v.toArray()) {
                const QJsonValue path = d.toObject().value(QLatin1String("path"));
                const QJsonValue title = d.toObject().value(QLatin1String("title"));
                if (!path.isString() || !(title.isString() || title.isUndefined()))
                    return wrong(QStringLiteral("{\"path\", \"title\"} の配列"));
                result.drawings.append({ path.toString(), title.toString() });
            }
        } else {
            if (!v.isString())
                return wrong(QStringLiteral("文字列"));
            result.setText(item, v.toString());
        }
    }
    *info = std::move(result);
    return true;
}

bool PhotoInfoJson::read_record(const QJsonValue& value, PhotoRecord* record, QString* error)
{
    const QJsonObject object = value.toObject();
    const QJsonValue size = object.value(QLatin1String("size"));
    const QJsonValue modified = object.value(QLatin1String("modified"));
    const QJsonValue sha = object.value(QLatin1String("sha256"));
    // Sizes and times are whole numbers well inside a double's exact range.
    const auto whole = [](const QJsonValue& v) {
        return v.isDouble() && v.toDouble() == double(qint64(v.toDouble()));
    };
    if (!value.isObject() || !whole(size) || size.toDouble() < 0 || !whole(modified)
        || !(sha.isUndefined() || (sha.isString() && isSha256(sha.toString())))) {
        *error = QStringLiteral("\"record\" は {\"size\", \"modified\", \"sha256\"} "
                                "のオブジェクトでなければなりません.");
        return false;
    }
    record->size = qint64(size.toDouble());
    record->modified = qint64(modified.toDouble());
    record->sha256 = sha.toString().toLatin1();
    return true;
}

bool PhotoInfoJson::read_set_aside(const QJsonValue& value, SetAsideInfo* item, QString* error)
{
    const QJsonObject object = value.toObject();
    const QJsonValue position = object.value(QLatin1String("position"));
    const QJsonValue image = object.value(QLatin1String("image"));
    if (!value.isObject() || !position.isDouble() || !(image.isString() || image.isUndefined())) {
        *error = QStringLiteral("項目には \"position\" (数) と \"image\" (文字列) が必要です.");
        return false;
    }
    SetAsideInfo result;
    result.position = position.toInt();
    result.image = image.toString();
    const QJsonValue info = object.value(QLatin1String("info"));
    if (!info.isUndefined() && !read_info(info, &result.info, error))
        return false;
    const QJsonValue record = object.value(QLatin1String("record"));
    if (!record.isUndefined() && !read_record(record, &result.record, error))
        return false;
    *item = std::move(result);
    return true;
}

} // namespace zk
