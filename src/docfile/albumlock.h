#pragma once

#include <QDateTime>
#include <QString>

namespace zk {

// Who has an album open: the contents of its lock file.
struct LockOwner
{
    QString user;
    QString host;
    qint64 pid = 0;
    QDateTime since; // UTC

    bool isValid() const { return !user.isEmpty() || !host.isEmpty() || pid > 0; }
    bool operator==(const LockOwner&) const = default;
    // "山田 (pc-12), 2026/12/07 09:15 から", for messages.
    QString describe() const;
};

// The lock beside an open album, as office suites keep one: a small file
// `.~lock.NAME#` in the album's folder that names the user, host and process
// holding the album and since when. Two people who open one album from a
// shared folder learn of each other instead of overwriting each other's work.
//
// A lock whose process is gone on this host, or that is older than a day on
// another host, is stale: whoever opens the album next takes it over.
class AlbumLock
{
public:
    enum class Outcome {
        Taken, // the album was free, or the lock was ours already
        TakenOverStale, // a stale lock was replaced: holder() says whose
        HeldByOther, // someone else holds it: holder() says who; nothing written
        Unavailable, // the folder refuses the lock file: note() says why
    };

    AlbumLock() = default;
    ~AlbumLock();
    AlbumLock(const AlbumLock&) = delete;
    AlbumLock& operator=(const AlbumLock&) = delete;
    // Takes over from's lock; the one held before is released.
    AlbumLock& operator=(AlbumLock&& from) noexcept;

    // The lock file of an album.
    static QString lockPath(const QString& albumPath);
    // This process, as a lock file names it.
    static LockOwner self();
    // The owner named by the album's lock file; invalid when there is none.
    static LockOwner read(const QString& albumPath);
    static bool isStale(const LockOwner& owner, const QDateTime& nowUtc);
    // The live owner of an album's lock other than this process, or an
    // invalid owner when the album is free (or its lock stale or ours).
    static LockOwner otherHolder(const QString& albumPath);

    // Takes the lock of albumPath, releasing the one held before. With
    // force, a live lock of someone else is taken over too (Taken).
    Outcome take(const QString& albumPath, bool force = false);
    // Removes the lock file if it still names this process.
    void release();

    bool holds() const { return !album.isEmpty(); }
    const QString& albumPath() const { return album; }
    // Whether the lock file still names this process (another program may
    // have taken it over since). True when nothing is held.
    bool stillOurs() const;
    // The other owner met by the last take().
    const LockOwner& holder() const { return other; }
    // Why the last take() could not write the lock file.
    const QString& note() const { return why; }

private:
    bool write(const QString& file, bool exclusive);

    QString album; // the album whose lock is held, "" for none
    LockOwner mine;
    LockOwner other;
    QString why;
};

} // namespace zk
