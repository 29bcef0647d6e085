#include "deliveryexport.h"

#include "delivery/deliverydtd.h"
#include "delivery/filecopy.h"
#include "delivery/photoxmlwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zk {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes a new file; "" on success.
QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        return QStringLiteral("%1 に書けません: %2").arg(path, file.errorString());
    }
    file.close();
    return file.error() == QFile::NoError ? QString()
                                          : QStringLiteral("%1 に書けません: %2").arg(path, file.errorString());
}

// fsync of a file or a folder; "" on success.
QString syncPath(const QString& path, bool wholeFileSystem = false)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("%1 を開けません: %2").arg(path, systemError(errno));
    // One syncfs writes every copied file at once, as `sync` after `cp` does.
    const int r = wholeFileSystem ? ::syncfs(fd) : ::fsync(fd);
    const int error = errno;
    ::close(fd);
    return r == 0 ? QString()
                  : QStringLiteral("%1 をディスクに書き込めません: %2").arg(path, systemError(error));
}

// A file to copy into the new PHOTO folder, with its size for the progress.
struct Copy
{
    QString from;
    QString to;
    qint64 size;
};

// The photos into PIC, the drawings into DRA, under their delivered names.
QList<Copy> copiesOf(const DeliveryData& data, const QList<DeliveryDrawing>& drawings, const QDir& work)
{
    QList<Copy> copies;
    for (const DeliveryPhoto& p : data.photos)
        copies.append({ p.source, work.filePath(QStringLiteral("PIC/") + p.fileName), QFileInfo(p.source).size() });
    for (const DeliveryDrawing& d : drawings)
        copies.append({ d.source, work.filePath(QStringLiteral("DRA/") + d.fileName), QFileInfo(d.source).size() });
    return copies;
}

// Copies the files, telling progress after each; the first failure's text,
// or "" with *cancelled set when progress asked to stop.
QString copyFiles(const QList<Copy>& copies, const DeliveryExport::Progress& progress, bool* cancelled)
{
    qint64 total = 0;
    for (const Copy& c : copies)
        total += c.size;
    qint64 done = 0;
    if (progress && !progress(0, total)) {
        *cancelled = true;
        return QString();
    }
    for (const Copy& c : copies) {
        const QString error = FileCopy::copy(c.from, c.to);
        if (!error.isEmpty())
            return error;
        done += c.size;
        if (progress && !progress(done, total)) {
            *cancelled = true;
            return QString();
        }
    }
    return QString();
}

// PHOTO.XML and its DTD, then everything flushed to the disk before the rename.
QString writeAndSync(const QDir& work, const QByteArray& xml, const QByteArray& dtd)
{
    QString error = writeFile(work.filePath(QStringLiteral("PHOTO.XML")), xml);
    if (error.isEmpty())
        error = writeFile(work.filePath(DeliveryDtd::fileName()), dtd);
    if (error.isEmpty())
        error = syncPath(work.path(), true);
    for (const QString& dir : { work.filePath(QStringLiteral("PIC")), work.filePath(QStringLiteral("DRA")), work.path() }) {
        if (error.isEmpty() && QFileInfo(dir).isDir())
            error = syncPath(dir);
    }
    return error;
}

} // namespace

QString DeliveryExport::target_problem(const QString& outDir)
{
    const QFileInfo photo(QDir(outDir).filePath(QStringLiteral("PHOTO")));
    if (!photo.exists())
        return QString();
    if (!photo.isDir() || !QDir(photo.filePath()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return QStringLiteral("%1 がすでにあり、空ではありません。別の出力先を選ぶか、中身を移してください")
            .arg(QDir::toNativeSeparators(photo.filePath()));
    return QString();
}

DeliveryExport::Result DeliveryExport::run(
    const DeliveryData& data, const QString& outDir, const QString& dtdPath, const Progress& progress)
{
    Result result;
    result.error = target_problem(outDir);
    if (!result.error.isEmpty())
        return result;
    if (!QDir().mkpath(outDir)) {
        result.error = QStringLiteral("出力先 %1 を作れません").arg(outDir);
        return result;
    }
    QFile dtdFile(dtdPath);
    if (dtdPath.isEmpty() || !dtdFile.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1 が見つかりません。プログラムを入れ直してください").arg(DeliveryDtd::fileName());
        return result;
    }
    const QByteArray dtd = dtdFile.readAll();
    const PhotoXmlWriter::Result xml = PhotoXmlWriter::write(data, DeliveryDtd::remark_element(dtd));
    if (!xml.ok()) {
        result.error = xml.error;
        return result;
    }

    // Beside OUTDIR/PHOTO, so that the last step is a rename on one file system;
    // removed with everything in it unless the rename took it.
    QTemporaryDir temp(QDir(outDir).filePath(QStringLiteral(".PHOTO-XXXXXX")));
    if (!temp.isValid()) {
        result.error = QStringLiteral("出力先 %1 に書けません: %2").arg(outDir, temp.errorString());
        return result;
    }
    const QDir work(temp.path());
    const QList<DeliveryDrawing> drawings = data.distinctDrawings();
    if (!work.mkdir(QStringLiteral("PIC")) || (!drawings.isEmpty() && !work.mkdir(QStringLiteral("DRA")))) {
        result.error = QStringLiteral("出力先 %1 にフォルダを作れません").arg(outDir);
        return result;
    }

    bool cancelled = false;
    result.error = copyFiles(copiesOf(data, drawings, work), progress, &cancelled);
    if (cancelled) {
        result.cancelled = true;
        return result;
    }
    if (result.error.isEmpty())
        result.error = writeAndSync(work, xml.bytes, dtd);
    if (!result.error.isEmpty())
        return result;

    const QString target = QDir(outDir).filePath(QStringLiteral("PHOTO"));
    // An empty PHOTO folder left from before gives way; a full one was refused.
    if (QFileInfo(target).isDir())
        QDir().rmdir(target);
    if (::rename(QFile::encodeName(work.path()).constData(), QFile::encodeName(target).constData()) != 0) {
        result.error = QStringLiteral("%1 を作れません: %2").arg(target, systemError(errno));
        return result;
    }
    temp.setAutoRemove(false);
    // QTemporaryDir creates its folder 0700; the delivery is read by others.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
            | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    syncPath(outDir);
    result.folder = target;
    return result;
}

} // namespace zk
