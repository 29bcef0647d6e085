#pragma once

#include "model/photoinfo.h"
#include "model/photorecord.h"
#include "model/setasideinfo.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace zk {

// The JSON of a photo's information and record, shared by the album's JSON
// form and the information file beside the album. Information is an object
// keyed by the items' names, empty items left out; 工種区分予備 is an array of
// strings and 参考図 an array of {"path", "title"}. A record is
// {"size", "modified" (ms since the epoch, UTC), "sha256"}.
class PhotoInfoJson
{
public:
    // Appends the information as a compact object ("{}" when empty).
    static void append_info(QByteArray& out, const PhotoInfo& info);
    static void append_record(QByteArray& out, const PhotoRecord& record);
    // Appends {"position", "image", "info", "record"}; info and record are
    // left out when empty.
    static void append_item(QByteArray& out, int position, const QString& image,
        const PhotoInfo& info, const PhotoRecord& record);

    // On failure these return false and say why in error. Names that are
    // not items are ignored: a later program may know more items.
    static bool read_info(const QJsonValue& value, PhotoInfo* info, QString* error);
    static bool read_record(const QJsonValue& value, PhotoRecord* record, QString* error);
    static bool read_set_aside(const QJsonValue& value, SetAsideInfo* item, QString* error);
};

} // namespace zk
