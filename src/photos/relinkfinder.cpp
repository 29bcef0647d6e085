#include "relinkfinder.h"

#include "model/entrytable.h"
#include "photos/photofile.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace zk {

QString RelinkResult::file_name_of(const QString& storedPath)
{
    const qsizetype cut
        = qMax(storedPath.lastIndexOf(QLatin1Char('/')), storedPath.lastIndexOf(QLatin1Char('\\')));
    return storedPath.mid(cut + 1);
}

QString RelinkResult::match_key(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return fileName;
    return fileName.left(dot) + fileName.mid(dot).toLower();
}

RelinkResult RelinkResult::find(const EntryTable& entries, const QString& folder)
{
    RelinkResult result;

    // The entries whose photo cannot be opened where the album says.
    QList<int> lost;
    QSet<QString> wanted;
    for (int p = 1; p <= entries.entry_count(); ++p) {
        const QString& image = entries.entry(p).image;
        if (image.isEmpty())
            continue;
        const QFileInfo info(image);
        if (info.isFile())
            continue;
        lost << p;
        wanted.insert(match_key(file_name_of(image)));
    }
    if (lost.isEmpty())
        return result;

    // One walk through the tree, keeping only the names looked for. Links
    // to folders are not followed, so a link loop cannot make it endless.
    QHash<QString, QStringList> candidates;
    QDirIterator walk(
        folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        walk.next();
        const QFileInfo info = walk.fileInfo();
        if (info.isDir()) {
            if (!info.isReadable() || !info.isExecutable()) {
                ++result.unreadableFolders;
                result.unreadableFolderPaths << info.absoluteFilePath();
            }
            continue;
        }
        const QString key = match_key(info.fileName());
        if (wanted.contains(key))
            candidates[key] << info.absoluteFilePath();
    }

    for (int p : lost) {
        const QStringList& files
            = candidates.value(match_key(file_name_of(entries.entry(p).image)));
        const QString problem
            = files.size() == 1 ? PhotoFile(files.constFirst()).error() : QString();
        if (files.size() == 1 && problem.isEmpty())
            result.found.insert(p, files.constFirst());
        else if (files.size() == 1)
            result.unusable.insert(p, files.constFirst() + QStringLiteral(": ") + problem);
        else if (files.size() > 1)
            result.ambiguous << p;
        else
            result.missing << p;
    }
    return result;
}

} // namespace zk
