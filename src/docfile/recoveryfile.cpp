#include "recoveryfile.h"

#include "docfile/albumjson.h"
#include "docfile/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace zk {

namespace {

const QString suffix = QStringLiteral(".json");

QString lockPath(const QString& file)
{
    return file + QStringLiteral(".lock");
}

// Beside a copy set aside, hidden: when it was set aside, or "kept".
QString notePath(const QString& file)
{
    const QFileInfo info(file);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".aside");
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

// The content of a regular file of at most MaxBytes; anything else in the
// state folder (a link to a device, a FIFO, a file larger than memory) is
// refused unread, so that nothing there can stop the start.
QByteArray readRegularFile(
    const QString& path, QString* failure, qint64 limit = RecoveryFile::MaxBytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *failure = QString::fromLocal8Bit(std::strerror(errno));
        return {};
    }
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *failure = QStringLiteral("通常のファイルではありません");
        return {};
    }
    if (status.st_size > limit) {
        *failure = QStringLiteral("%1 MiB を超えています").arg(limit >> 20);
        return {};
    }
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        // One byte more than the size told, to see a file that grew since.
        if (filled == bytes.size()) {
            if (bytes.size() >= limit) {
                *failure = QStringLiteral("%1 MiB を超えています").arg(limit >> 20);
                return {};
            }
            bytes.resize(qMin<qint64>(bytes.size() + 64 * 1024, limit + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            *failure = QString::fromLocal8Bit(std::strerror(errno));
            return {};
        }
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
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

QString RecoveryFile::asideDirectory() const
{
    return folder + QStringLiteral("/aside");
}

QString RecoveryFile::move_aside(const QString& orphan, AsideKeeping keeping)
{
    const QString aside = asideDirectory();
    if (!QDir().mkpath(aside))
        return {};
    const QString target = aside + u'/' + QFileInfo(orphan).fileName();
    // The time it was set aside goes into a file beside it: the copy's own
    // time cannot be renewed on a file that another user (sudo) wrote.
    const QByteArray note = keeping == AsideKeeping::Week
        ? QByteArray::number(QDateTime::currentSecsSinceEpoch())
        : QByteArray("kept");
    if (!write_recovery_file(notePath(target), note + '\n').isEmpty())
        return {};
    QFile::remove(target);
    if (!QFile::rename(orphan, target)) {
        QFile::remove(notePath(target));
        return {};
    }
    QFile::remove(lockPath(orphan));
    return target;
}

void RecoveryFile::purge_aside(const QDateTime& now)
{
    QDir aside(asideDirectory());
    const QFileInfoList files = aside.entryInfoList({ QStringLiteral("*") + suffix }, QDir::Files);
    for (const QFileInfo& f : files) {
        QString unused;
        const QByteArray note
            = readRegularFile(notePath(f.absoluteFilePath()), &unused, 64).trimmed();
        if (note == "kept")
            continue; // never offered: kept until the user removes it
        bool stamped = false;
        const qint64 seconds = note.toLongLong(&stamped);
        // Copies set aside by earlier versions carry the time in the file's
        // own modification time.
        const QDateTime setAside
            = stamped ? QDateTime::fromSecsSinceEpoch(seconds) : f.lastModified();
        if (setAside.addDays(KeepAsideDays) < now) {
            QFile::remove(f.absoluteFilePath());
            QFile::remove(notePath(f.absoluteFilePath()));
        }
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
    QString failure;
    const QByteArray bytes = readRegularFile(file, &failure);
    if (!failure.isEmpty()) {
        r.error = QStringLiteral("%1: 自動保存のファイルを開けません (%2).").arg(file, failure);
        return r;
    }
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
