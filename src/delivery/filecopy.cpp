#include "filecopy.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace zk {

namespace {

class Fd
{
public:
    explicit Fd(int fd) : fd(fd) { }
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    // Closing can report a failed write on some file systems.
    int release()
    {
        const int r = ::close(fd);
        fd = -1;
        return r;
    }

    int fd;
};

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The kernel refuses copy_file_range between some file systems or for some
// files; reading and writing then does the same.
bool fallsBack(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL
        || error == EBADF || error == ETXTBSY;
}

} // namespace

QString FileCopy::copy(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    Fd in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (in.fd < 0)
        return QStringLiteral("%1 を読めません: %2").arg(from, systemError(errno));
    struct stat st {};
    if (::fstat(in.fd, &st) != 0)
        return QStringLiteral("%1 を読めません: %2").arg(from, systemError(errno));
    Fd out(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.fd < 0)
        return QStringLiteral("%1 を作れません: %2").arg(to, systemError(errno));

    off_t done = 0;
    bool inKernel = true;
    while (inKernel) {
        const ssize_t n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, 1 << 30, 0);
        if (n > 0) {
            done += n;
        } else if (n == 0) {
            // Some file systems (procfs, some FUSE) report 0 before the end.
            inKernel = false;
        } else if (errno == EINTR) {
            continue;
        } else if (fallsBack(errno) && done == 0) {
            inKernel = false;
        } else {
            return QStringLiteral("%1 に書けません: %2").arg(to, systemError(errno));
        }
    }
    if (done < st.st_size || done == 0) {
        std::vector<char> buffer(1 << 20);
        for (;;) {
            const ssize_t n = ::read(in.fd, buffer.data(), buffer.size());
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return QStringLiteral("%1 を読めません: %2").arg(from, systemError(errno));
            }
            for (ssize_t written = 0; written < n;) {
                const ssize_t w = ::write(out.fd, buffer.data() + written, size_t(n - written));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0)
                    return QStringLiteral("%1 に書けません: %2").arg(to, systemError(w < 0 ? errno : ENOSPC));
                written += w;
            }
        }
    }
    if (out.release() != 0)
        return QStringLiteral("%1 に書けません: %2").arg(to, systemError(errno));
    return QString();
}

} // namespace zk
