#include "photofile.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zk {

namespace {

QString openError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return QStringLiteral("写真ファイルが見つかりません.");
    case EACCES:
    case EPERM:
        return QStringLiteral("写真ファイルを読む権限がありません.");
    default:
        return QStringLiteral("写真ファイルを開けません.");
    }
}

QString statError(const struct stat& status)
{
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("写真ファイルではなくフォルダーです.");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("通常のファイルではないため写真として読めません.");
    if (status.st_size > PhotoFile::MaxBytes)
        return QStringLiteral("写真ファイルが大きすぎます (256 MiB まで).");
    if (status.st_size == 0)
        return QStringLiteral("写真ファイルが空です.");
    return {};
}

const QString& readError()
{
    static const QString text = QStringLiteral("写真ファイルを読み込めませんでした.");
    return text;
}

// One read(2), or pread(2) at offset when it is not negative, tried again
// when a signal cut it short; -1 on an error.
ssize_t readOnce(int fd, char* into, qint64 size, qint64 offset = -1)
{
    for (;;) {
        const ssize_t got = offset < 0 ? ::read(fd, into, size_t(size))
                                       : ::pread(fd, into, size_t(size), offset);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

} // namespace

PhotoFile::PhotoFile(const QString& path) : nativePath(QFile::encodeName(path))
{
    struct stat status
    {
    };
    if (::stat(nativePath.constData(), &status) != 0) {
        problem = openError(errno);
        return;
    }
    problem = statError(status);
    bytes = status.st_size;
    modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    deviceId = status.st_dev;
    inodeId = status.st_ino;
}

QByteArray PhotoFile::read()
{
    return readUpTo(-1);
}

QByteArray PhotoFile::readHead(qint64 limit)
{
    return readUpTo(qMax<qint64>(limit, 1));
}

int PhotoFile::openChecked()
{
    if (!problem.isEmpty())
        return -1;
    // O_NONBLOCK: should a FIFO have taken the file's place since stat(),
    // opening it must not wait for a writer.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem = openError(errno);
        return -1;
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        problem = openError(errno);
    else
        problem = statError(status);
    if (!problem.isEmpty()) {
        ::close(fd);
        return -1;
    }
    bytes = status.st_size;
    modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    deviceId = status.st_dev;
    inodeId = status.st_ino;
    return fd;
}

bool PhotoFile::readInChunks(qint64 chunk, const std::function<bool(QByteArrayView)>& take)
{
    const int fd = openChecked();
    if (fd < 0)
        return false;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    QByteArray buffer(qMax<qint64>(chunk, 1), Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const ssize_t got = readOnce(fd, buffer.data(), buffer.size());
        if (got < 0) {
            problem = readError();
            return false;
        }
        if (got == 0)
            return true;
        total += got;
        if (total > MaxBytes) {
            problem = QStringLiteral("写真ファイルが大きすぎます (256 MiB まで).");
            return false;
        }
        if (!take(QByteArrayView(buffer.constData(), got)))
            return true;
    }
}

QByteArray PhotoFile::readTail(qint64 count)
{
    const int fd = openChecked();
    if (fd < 0)
        return {};
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    const qint64 from = qMax<qint64>(0, bytes - qMax<qint64>(count, 1));
    QByteArray content(bytes - from, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled < content.size()) {
        const ssize_t got
            = readOnce(fd, content.data() + filled, content.size() - filled, from + filled);
        if (got < 0) {
            problem = readError();
            return {};
        }
        if (got == 0)
            break;
        filled += got;
    }
    content.truncate(filled);
    return content;
}

QByteArray PhotoFile::readUpTo(qint64 limit)
{
    const int fd = openChecked();
    if (fd < 0)
        return {};
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });

    // Read to the end rather than trusting st_size: the file may still be
    // growing, and must not grow past the limit unnoticed.
    QByteArray content(limit < 0 ? bytes : qMin(bytes, limit), Qt::Uninitialized);
    qint64 filled = 0;
    for (;;) {
        if (filled == content.size() && limit >= 0 && filled >= limit)
            break;
        if (filled == content.size()) {
            if (content.size() > MaxBytes) {
                problem = QStringLiteral("写真ファイルが大きすぎます (256 MiB まで).");
                return {};
            }
            const qint64 cap = limit < 0 ? MaxBytes + 1 : limit;
            content.resize(qMin<qint64>(content.size() + 64 * 1024, cap));
        }
        const ssize_t got = readOnce(fd, content.data() + filled, content.size() - filled);
        if (got < 0) {
            problem = readError();
            return {};
        }
        if (got == 0)
            break;
        filled += got;
    }
    content.truncate(filled);
    if (content.isEmpty()) {
        problem = QStringLiteral("写真ファイルが空です.");
        return {};
    }
    return content;
}

} // namespace zk
