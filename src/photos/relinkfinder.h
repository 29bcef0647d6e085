#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace zk {

class EntryTable;

// Finds the photos of an album that was copied from another computer: each
// entry whose photo file is missing is looked for by its file name in a
// folder and its subfolders, the extension compared without regard to case.
struct RelinkResult
{
    QMap<int, QString> found; // position -> the one file of that name
    QList<int> ambiguous; // two or more files of that name
    QList<int> missing; // none
    // One file of that name that cannot be read: position -> why (empty,
    // refused, not a regular file), in Japanese.
    QMap<int, QString> unusable;
    // Folders that could not be read while searching, and their paths.
    int unreadableFolders = 0;
    QStringList unreadableFolderPaths;

    static RelinkResult find(const EntryTable& entries, const QString& folder);

    // The file name part of a stored path, which may have been written on
    // Windows ("C:\写真\P001.JPG").
    static QString file_name_of(const QString& storedPath);
    // The name as it is matched: the extension lower-cased.
    static QString match_key(const QString& fileName);
};

} // namespace zk
