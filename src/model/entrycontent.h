#pragma once

#include "model/photoinfo.h"

#include <QString>

namespace zk {

// The changeable part of an entry: what moves when entries move. The number
// belongs to the position and never moves.
struct EntryContent
{
    QString title;
    QString text; // line breaks are CR LF
    QString image;
    PhotoInfo info; // the photo's delivery information; moves with the photo

    // Information alone fills an entry: an insert must not push it off the end.
    bool isEmpty() const
    {
        return title.isEmpty() && text.isEmpty() && image.isEmpty() && info.isEmpty();
    }
    bool operator==(const EntryContent&) const = default;
};

} // namespace zk
