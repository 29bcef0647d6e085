#include "albumlock.h"

#include "safefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <utility>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace zk {

namespace {

// A lock file holds a few short lines; anything longer is not one of ours.
constexpr qint64 MaxLockBytes = 4096;
constexpr qint64 StaleAfterSecs = 24 * 60 * 60;

QByteArray encode(const LockOwner& owner)
{
    return QByteArrayLiteral("zelkora-lock 1\n") + "user=" + owner.user.toUtf8() + '\n'
        + "host=" + owner.host.toUtf8() + '\n' + "pid=" + QByteArray::number(owner.pid) + '\n'
        + "since=" + owner.since.toString(Qt::ISODate).toUtf8() + '\n';
}

LockOwner decode(const QByteArray& bytes)
{
    LockOwner owner;
    if (!bytes.startsWith("zelkora-lock "))
        return owner;
    const QList<QByteArray> lines = bytes.split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "user")
            owner.user = value;
        else if (key == "host")
            owner.host = value;
        else if (key == "pid")
            owner.pid = value.toLongLong();
        else if (key == "since")
            owner.since = QDateTime::fromString(value, Qt::ISODate).toUTC();
    }
    return owner;
}

QString userName()
{
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

QString LockOwner::describe() const
{
    const QString who = user.isEmpty() ? QStringLiteral("不明な利用者") : user;
    const QString where = host.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(host);
    const QString when = since.isValid()
        ? QStringLiteral(", %1 から").arg(since.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")))
        : QString();
    return who + where + when;
}

AlbumLock::~AlbumLock()
{
    release();
}

AlbumLock& AlbumLock::operator=(AlbumLock&& from) noexcept
{
    if (this != &from) {
        release();
        album = std::exchange(from.album, {});
        mine = from.mine;
        other = from.other;
        why = from.why;
    }
    return *this;
}

QString AlbumLock::lockPath(const QString& albumPath)
{
    const QFileInfo info(albumPath);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

LockOwner AlbumLock::self()
{
    // Whole seconds, as the lock file writes the time.
    const qint64 secs = QDateTime::currentSecsSinceEpoch();
    return { userName(), QSysInfo::machineHostName(), qint64(QCoreApplication::applicationPid()),
        QDateTime::fromSecsSinceEpoch(secs, Qt::UTC) };
}

LockOwner AlbumLock::read(const QString& albumPath)
{
    // Only a regular file is read, and only its first few bytes.
    QFile file(lockPath(albumPath));
    if (!QFileInfo(file.fileName()).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return decode(file.read(MaxLockBytes));
}

bool AlbumLock::isStale(const LockOwner& owner, const QDateTime& nowUtc)
{
    if (!owner.isValid())
        return true;
    if (owner.host == QSysInfo::machineHostName()) {
        // On this host a process that is gone holds nothing; EPERM means it
        // lives under another user.
        return owner.pid <= 0 || (::kill(pid_t(owner.pid), 0) != 0 && errno == ESRCH);
    }
    return !owner.since.isValid() || owner.since.secsTo(nowUtc) > StaleAfterSecs;
}

LockOwner AlbumLock::otherHolder(const QString& albumPath)
{
    const LockOwner owner = read(albumPath);
    const LockOwner me = self();
    if (!owner.isValid() || (owner.host == me.host && owner.pid == me.pid)
        || isStale(owner, QDateTime::currentDateTimeUtc()))
        return {};
    return owner;
}

bool AlbumLock::stillOurs() const
{
    if (!holds())
        return true;
    const LockOwner now = read(album);
    // A lock file that vanished was not taken by anyone.
    return !now.isValid() || now == mine;
}

bool AlbumLock::write(const QString& file, bool exclusive)
{
    const QByteArray bytes = encode(mine);
    if (exclusive) {
        const int fd = ::open(QFile::encodeName(file).constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            why = errno == EEXIST ? QString() : SafeFile::describeError(errno);
            return false;
        }
        const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        const int error = errno;
        ::close(fd);
        if (!ok) {
            ::unlink(QFile::encodeName(file).constData());
            why = SafeFile::describeError(error);
        }
        return ok;
    }
    SafeFile out(file);
    if (!out.open() || out.write(bytes) != bytes.size() || !out.commit()) {
        why = out.failure();
        return false;
    }
    return true;
}

AlbumLock::Outcome AlbumLock::take(const QString& albumPath, bool force)
{
    const QString path = QFileInfo(albumPath).absoluteFilePath();
    other = {};
    why.clear();
    if (holds() && album == path && stillOurs())
        return Outcome::Taken;
    release();
    mine = self();
    const QString file = lockPath(path);
    if (write(file, true)) {
        album = path;
        return Outcome::Taken;
    }
    if (!why.isEmpty())
        return Outcome::Unavailable;
    other = read(path);
    // A lock this process wrote for an album it opens again is its own.
    const bool own = other.host == mine.host && other.pid == mine.pid;
    const bool stale = !own && isStale(other, mine.since);
    if (own)
        other = {};
    if (!own && !stale && !force)
        return Outcome::HeldByOther;
    if (!write(file, false))
        return Outcome::Unavailable;
    album = path;
    return stale ? Outcome::TakenOverStale : Outcome::Taken;
}

void AlbumLock::release()
{
    if (!holds())
        return;
    if (read(album) == mine)
        QFile::remove(lockPath(album));
    album.clear();
}

} // namespace zk
