#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zk {

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// The process's file creation mask without changing it (umask() would, for a
// moment, for every thread); 022 where /proc does not say.
mode_t creationMask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
        }
    }
    return 022;
}

// A name beside the target that no one else uses: ".album.zkr.zk-1a2b3c4d".
QString partialName(const QString& target)
{
    const QFileInfo info(target);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".zk-")
        + QString::number(QRandomGenerator::global()->generate64(), 36);
}

// Where old bytes wait while a file is written in place.
QString keepingFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directory rules: a relative path in the variable is ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/zelkora/saving");
}

// Writes all of bytes at offset 0 of fd, every write checked; 0 or errno.
int writeAllAt(int fd, QByteArrayView bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        done += n;
    }
    return ::ftruncate(fd, bytes.size()) == 0 ? 0 : errno;
}

} // namespace

SafeFile::SafeFile(const QString& path) : path(path) { }

SafeFile::~SafeFile()
{
    discard();
}

QString SafeFile::describeError(int error)
{
    switch (error) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません");
    case EROFS:
        return QStringLiteral("書き込みできない場所です");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("保存先のフォルダが見つかりません");
    case EIO:
        return QStringLiteral("ディスクへの書き込みでエラーが起きました");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString SafeFile::checkTarget(const QString& path)
{
    struct stat st
    {
    };
    // stat() follows links: a link to a regular file may be replaced.
    if (::stat(encoded(path).constData(), &st) != 0)
        return {};
    if (S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("同じ名前のフォルダがあるため保存できません");
    return QStringLiteral(
        "保存先が通常のファイルではない (デバイスや FIFO など) ため保存できません");
}

void SafeFile::injectFault(Stage stage, int error, qint64 offset)
{
    if (stage == Stage::Create) {
        createFault = error;
        return;
    }
    faultStage = stage;
    faultError = error;
    faultOffset = offset;
}

void SafeFile::fail(int error, const QString& why)
{
    if (failed)
        return;
    failed = true;
    cause = why.isEmpty() ? describeError(error) : why;
    setErrorString(cause);
}

bool SafeFile::open(OpenMode mode)
{
    if (isOpen() || (mode & ReadWrite) != WriteOnly) {
        fail(EINVAL);
        return false;
    }
    failed = false;
    cause.clear();
    written = 0;
    inPlace = false;
    damagedTargetCopy.clear();

    if (const QString refusal = checkTarget(path); !refusal.isEmpty()) {
        fail(0, refusal);
        return false;
    }
    const QFileInfo info(path);
    if (info.exists())
        target = info.canonicalFilePath();
    else if (info.isSymLink()) // a dangling link: create the file it names
        target = QFileInfo(info.symLinkTarget()).absoluteFilePath();
    else
        target = info.absoluteFilePath();

    struct stat st
    {
    };
    existed = ::stat(encoded(target).constData(), &st) == 0;
    existingMode = existed ? st.st_mode & 07777 : 0;
    existingUid = existed ? st.st_uid : 0;
    existingGid = existed ? st.st_gid : 0;

    const QByteArray folder = encoded(QFileInfo(target).absolutePath());
    fd = createFault ? -1 : ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0666);
    if (createFault)
        errno = createFault;
    if (fd < 0 && !createFault && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // A file system without unnamed files: a named one, removed on failure.
        for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
            tempName = partialName(target);
            fd = ::open(encoded(tempName).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                0666 & ~creationMask());
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0)
            tempName.clear();
    }
    if (fd < 0) {
        const int error = errno;
        // The folder refuses a new file; the file itself may still be written.
        if ((error == EACCES || error == EPERM) && existed && openInPlace())
            return QIODevice::open(WriteOnly | Unbuffered);
        if (!failed)
            fail(error);
        return false;
    }
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool SafeFile::openInPlace()
{
    if (::access(encoded(target).constData(), W_OK) != 0)
        return false;
    QFile old(target);
    if (!old.open(QIODevice::ReadOnly))
        return false;
    oldContent = old.readAll();
    if (old.error() != QFileDevice::NoError)
        return false;
    const QString folder = keepingFolder();
    const QString copy = folder + u'/' + QFileInfo(target).fileName() + QLatin1Char('-')
        + QString::number(QRandomGenerator::global()->generate64(), 36);
    if (!QDir().mkpath(folder) || !write_file_atomically(copy, oldContent).ok()) {
        fail(0,
            QStringLiteral("フォルダに新しいファイルを作れず、元の内容の控えも %1 に作れないため"
                           "上書きできません")
                .arg(folder));
        oldContent.clear();
        return false;
    }
    copyPath = copy;
    inPlace = true;
    return true;
}

qint64 SafeFile::readData(char*, qint64)
{
    return -1;
}

qint64 SafeFile::writeData(const char* data, qint64 size)
{
    if (failed || (fd < 0 && !inPlace))
        return -1;
    qint64 allowed = size;
    if (faultError != 0 && faultStage == Stage::Write && written + size > faultOffset)
        allowed = qMax<qint64>(faultOffset - written, 0);
    if (inPlace) {
        // Kept until commit(): the file is written only once all is there.
        pending.append(data, allowed);
        written += allowed;
        if (allowed < size) {
            fail(faultError);
            return -1;
        }
        return size;
    }
    qint64 done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(fd, data + done, size_t(allowed - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            written += done;
            return -1;
        }
        done += n;
    }
    written += done;
    if (allowed < size) {
        fail(faultError);
        return -1;
    }
    return size;
}

bool SafeFile::linkIntoPlace()
{
    const QByteArray finalName = encoded(target);
    if (tempName.isEmpty()) {
        // Give the unnamed file a name beside the target, then move it over
        // the target: link() cannot replace an existing file.
        const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
        for (int attempt = 0; attempt < 16 && tempName.isEmpty(); ++attempt) {
            const QString name = partialName(target);
            if (::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, encoded(name).constData(),
                    AT_SYMLINK_FOLLOW)
                == 0) {
                tempName = name;
            } else if (errno != EEXIST) {
                fail(errno);
                return false;
            }
        }
        if (tempName.isEmpty()) {
            fail(EEXIST);
            return false;
        }
    }
    if (faultError != 0 && faultStage == Stage::Rename) {
        fail(faultError);
        return false;
    }
    if (::rename(encoded(tempName).constData(), finalName.constData()) != 0) {
        fail(errno);
        return false;
    }
    tempName.clear();
    return true;
}

void SafeFile::commitInPlace()
{
    const int targetFd = ::open(encoded(target).constData(), O_WRONLY | O_CLOEXEC);
    if (targetFd < 0) {
        fail(errno);
        return;
    }
    int error = writeAllAt(targetFd, pending);
    if (error == 0 && faultError != 0 && faultStage == Stage::Sync)
        error = faultError;
    else if (error == 0 && ::fsync(targetFd) != 0)
        error = errno;
    if (error != 0) {
        fail(error);
        // Put the old bytes back; if even that fails, their copy stays.
        if (writeAllAt(targetFd, oldContent) != 0 || ::fsync(targetFd) != 0)
            damagedTargetCopy = copyPath;
    }
    ::close(targetFd);
}

bool SafeFile::commit()
{
    if (inPlace && isOpen()) {
        if (!failed)
            commitInPlace();
        const bool ok = !failed;
        if (!ok)
            cause += QStringLiteral(" (フォルダに新しいファイルを作れないため上書きしようとしました)");
        setErrorString(cause);
        discard();
        return ok;
    }
    if (!isOpen() || fd < 0) {
        fail(EBADF);
        return false;
    }
    if (!failed) {
        if (faultError != 0 && faultStage == Stage::Sync)
            fail(faultError);
        else if (::fsync(fd) != 0)
            fail(errno);
    }
    if (!failed && existed) {
        // The new file takes the old one's mode and owner where the file
        // system allows; some (FAT on a USB stick) refuse both, which is no
        // reason to refuse the save.
        if (::fchmod(fd, existingMode) == 0)
            (void)!::fchown(fd, existingUid, existingGid);
    }
    if (!failed)
        linkIntoPlace();
    const bool ok = !failed;
    discard();
    if (ok) {
        // The rename itself reaches the disk with the folder; a failure here
        // no longer endangers the old file or the new one.
        const int dir = ::open(encoded(QFileInfo(target).absolutePath()).constData(),
            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return ok;
}

void SafeFile::cancel()
{
    discard();
}

void SafeFile::discard()
{
    // The copy of the old bytes goes once the file holds whole bytes again.
    if (!copyPath.isEmpty() && damagedTargetCopy.isEmpty())
        QFile::remove(copyPath);
    copyPath.clear();
    pending.clear();
    oldContent.clear();
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (!tempName.isEmpty()) {
        ::unlink(encoded(tempName).constData());
        tempName.clear();
    }
    if (isOpen())
        QIODevice::close();
}

QString save_failure_message(const QString& path, const SafeFile& file)
{
    QString message = path + QLatin1String("\n\n")
        + QStringLiteral("保存できませんでした (%1).").arg(file.failure());
    if (!file.keptCopy().isEmpty())
        message += QStringLiteral(" 元の内容は %1 に残しています.").arg(file.keptCopy());
    else if (file.replacesExisting())
        message += QStringLiteral(" 元のファイルは変更されていません.");
    return message;
}

FileWriteResult write_file_atomically(const QString& path, QByteArrayView bytes)
{
    SafeFile file(path);
    if (!file.open() || file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit())
        return { save_failure_message(path, file) };
    return {};
}

} // namespace zk
