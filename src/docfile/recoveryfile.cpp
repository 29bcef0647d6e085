#include "recoveryfile.h"

#include "docfile/albumjson.h"
#include "docfile/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/file.h>

#include <algorithm>

namespace zk {

namespace {

const QString suffix = QStringLiteral(".json");

QString lockPath(const QString& file)
{
    return file + QStringLiteral(".lock");
}

// flock() locks belong to the open file and end with the process, however
// it ends, so a lock that can be taken was left by a program that is gone.
bool lockIsFree(const QString& file)
{
    QFile lock(lockPath(file));
    if (!lock.open(QIODevice::ReadWrite))
        return !lock.exists();
    const bool free = ::flock(lock.handle(), LOCK_EX | LOCK_NB) == 0;
    if (free)
        ::flock(lock.handle(), LOCK_UN);
    return free;
}

} // namespace

QString RecoveryFile::defaultDirectory()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directory rules: a relative path in the variable is ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/zelkora/recovery");
}

RecoveryFile::RecoveryFile(QString directory) : folder(std::move(directory)) { }

RecoveryFile::~RecoveryFile()
{
    // A lock without its copy is of no use to anyone.
    if (lock && !QFile::exists(ownPath))
        QFile::remove(lock->fileName());
}

bool RecoveryFile::claim(QString* error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("自動保存のフォルダ %1 を作れません.").arg(folder);
        return false;
    }
    // The start time keeps a later program with a reused process id apart;
    // the count, a second claim within the same millisecond.
    const QString base = QStringLiteral("album-%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch());
    for (int n = 0; n < 100; ++n) {
        const QString candidate
            = folder + u'/' + base + (n ? QStringLiteral("-%1").arg(n) : QString()) + suffix;
        if (QFile::exists(candidate) || QFile::exists(lockPath(candidate)))
            continue;
        auto file = std::make_unique<QFile>(lockPath(candidate));
        if (file->open(QIODevice::ReadWrite) && ::flock(file->handle(), LOCK_EX | LOCK_NB) == 0) {
            ownPath = candidate;
            lock = std::move(file);
            return true;
        }
    }
    *error = QStringLiteral("自動保存のファイルを %1 に作れません.").arg(folder);
    return false;
}

QStringList RecoveryFile::orphans() const
{
    QDir dir(folder);
    QFileInfoList files
        = dir.entryInfoList({ QStringLiteral("album-*") + suffix }, QDir::Files, QDir::Time);
    QStringList found;
    for (const QFileInfo& f : files) {
        if (f.absoluteFilePath() != ownPath && lockIsFree(f.absoluteFilePath()))
            found << f.absoluteFilePath();
    }
    return found;
}

bool RecoveryFile::adopt(const QString& orphan)
{
    QFile::remove(ownPath);
    if (!QFile::rename(orphan, ownPath))
        return false;
    QFile::remove(lockPath(orphan));
    return true;
}

bool RecoveryFile::move_aside(const QString& orphan)
{
    const QString aside = folder + QStringLiteral("/aside");
    if (!QDir().mkpath(aside))
        return false;
    const QString target = aside + u'/' + QFileInfo(orphan).fileName();
    QFile::remove(target);
    if (!QFile::rename(orphan, target))
        return false;
    QFile::remove(lockPath(orphan));
    // Dated now, so that it is kept for the full days from the user's "No".
    QFile moved(target);
    if (moved.open(QIODevice::ReadWrite))
        moved.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return true;
}

void RecoveryFile::purge_aside(const QDateTime& now)
{
    QDir aside(folder + QStringLiteral("/aside"));
    const QFileInfoList files = aside.entryInfoList({ QStringLiteral("*") + suffix }, QDir::Files);
    for (const QFileInfo& f : files) {
        if (f.lastModified().addDays(KeepAsideDays) < now)
            QFile::remove(f.absoluteFilePath());
    }
    // Locks of files that are gone (their program ended between the write and the rename).
    const QFileInfoList locks = QDir(folder).entryInfoList(
        { QStringLiteral("album-*") + suffix + QStringLiteral(".lock") }, QDir::Files);
    for (const QFileInfo& l : locks) {
        const QString file = l.absoluteFilePath().chopped(5);
        if (file != ownPath && !QFile::exists(file) && lockIsFree(file))
            QFile::remove(l.absoluteFilePath());
    }
}

QByteArray RecoveryFile::encode(const Document& document, const QString& albumPath)
{
    // The album's JSON with one more member in front: its path.
    const QByteArray album = AlbumJson::fromDocument(document);
    const QByteArray path = QJsonDocument(
        QJsonObject { { QStringLiteral("path"),
            albumPath } }).toJson(QJsonDocument::Compact);
    return "{\n  " + path.mid(1, path.size() - 2) + ",\n" + album.mid(2);
}

Recovered RecoveryFile::read(const QString& file)
{
    Recovered r;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error
            = QStringLiteral("%1: 自動保存のファイルを開けません (%2).").arg(file, f.errorString());
        return r;
    }
    const QByteArray bytes = f.readAll();
    r.written = QFileInfo(file).lastModified();
    QString why;
    if (!AlbumJson::toDocument(bytes, &r.document, &why)) {
        r.error = file + QStringLiteral(": ") + why;
        return r;
    }
    // The window shows whole pages of three, as an album file is read.
    EntryTable& entries = r.document.entries;
    if (entries.entry_count() == 0)
        entries.reset_table();
    while (entries.entry_count() % 3 != 0) {
        if (!entries.append_entry(number_text(entries.entry_count() + 1), {}, {}, {})) {
            entries.truncate(entries.entry_count() / 3 * 3);
            break;
        }
    }
    r.albumPath = QJsonDocument::fromJson(bytes).object().value(QStringLiteral("path")).toString();
    return r;
}

QString write_recovery_file(const QString& path, const QByteArray& bytes)
{
    SafeFile file(path);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("%1: 自動保存できませんでした (%2).").arg(path, file.failure());
    return {};
}

} // namespace zk
