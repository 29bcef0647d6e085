#pragma once

#include "model/document.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace zk {

// The JSON form of an album that zkrtool reads and writes:
// {"cover": [14 strings], "entries": [{"number", "title", "text", "image",
// "info"}, ...], "records": {path: record}, "setAside": [...]}, with "info",
// "records" and "setAside" only where there is something (PhotoInfoJson).
// Texts keep their CR LF line breaks as "\r\n". Bytes that had no character
// in the file appear as "\udcXX" escapes and are written back as those bytes.
class AlbumJson
{
public:
    static QByteArray fromDocument(const Document& document);
    // On failure returns false and says why in error.
    static bool toDocument(const QByteArray& json, Document* document, QString* error);

    static QByteArray fromStrings(const QStringList& strings);

    // Appends s as a JSON string, escaped exactly as QJsonDocument escapes it.
    static void append_json_string(QByteArray& out, QStringView s);
};

} // namespace zk
