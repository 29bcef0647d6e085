#pragma once

#include "model/photorecord.h"

#include <QString>

namespace zk {

// Whether a photo file is still what it was when it was placed.
struct PhotoCheck
{
    enum class State {
        NotRecorded, // the album holds no record of the file
        Unchanged,
        Changed,
        Unreadable, // the file is gone or cannot be read
    };
    State state = State::NotRecorded;
    QString detail; // what differs or why it cannot be read, in Japanese

    bool operator==(const PhotoCheck&) const = default;
};

// A photo file compared with the record taken when it was placed.
class PhotoIntegrity
{
public:
    // Size and time against the record: cheap enough for the window's thread.
    static PhotoCheck compare_quick(const QString& path, const PhotoRecord& record);
    // The same, and then the SHA-256 when the record holds one. Reads the
    // whole file: callers keep it off the window's thread.
    static PhotoCheck compare_full(const QString& path, const PhotoRecord& record);
};

} // namespace zk
