#pragma once

#include "photos/photofacts.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace zk {

// Where a photo's time in the import list comes from.
enum class TimeSource { Exif, FileTime, None };

// One file chosen for a batch import, looked at before anything is placed:
// its kind (from the first bytes, no decode), its shooting time, its
// blackboard data and whether its path can be saved in an album file.
struct ImportCandidate
{
    QString path;
    QDateTime time;
    TimeSource timeSource = TimeSource::None;
    // Why the file cannot be placed, in Japanese; empty when it can.
    QString problem;
    // Read from the same first bytes as the time.
    PhotoFacts facts;

    bool placeable() const { return problem.isEmpty(); }
    // The file name without its folders.
    QString fileName() const;

    static ImportCandidate inspect(const QString& path);

    // The picture files directly inside folder (not in its subfolders), by
    // their name's extension, in natural order of their names.
    static QStringList pictures_in_folder(const QString& folder);
    // A full path for each file: folders are replaced by the pictures in them.
    static QStringList expand_folders(const QStringList& paths);
};

} // namespace zk
