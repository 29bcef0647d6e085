#pragma once

#include "model/photoinfo.h"
#include "model/photorecord.h"

#include <QString>

namespace zk {

// Information read beside an album whose entry no longer matched it (the
// album file was changed by something else): kept and written back, so that
// nothing the user entered is lost.
struct SetAsideInfo
{
    int position = 0; // where it stood
    QString image; // the photo it belonged to
    PhotoInfo info;
    PhotoRecord record;

    bool operator==(const SetAsideInfo&) const = default;
};

} // namespace zk
