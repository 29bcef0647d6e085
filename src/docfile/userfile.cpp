#include "userfile.h"

#include <QFile>
#include <QFileInfo>

namespace zk {

namespace {

UserFileRead failure(const QString& path, const QString& sentence)
{
    UserFileRead read;
    read.message = path + QLatin1String("\n\n") + sentence;
    return read;
}

} // namespace

UserFileRead read_user_file(const QString& path, qint64 maxBytes, bool missingIsEmpty)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        if (!missingIsEmpty)
            return failure(path, QStringLiteral("ファイルが見つかりません."));
        UserFileRead read;
        read.missing = true;
        return read;
    }
    if (!info.isFile())
        return failure(path, QStringLiteral("通常のファイルではないため開けません."));
    if (info.size() > maxBytes)
        return failure(path,
            QStringLiteral("ファイルが大きすぎるため読み込めません (%1 MiB まで).")
                .arg(maxBytes / (1024 * 1024)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(
            path, QStringLiteral("ファイルを開けませんでした (%1).").arg(file.errorString()));
    UserFileRead read;
    // One byte more than allowed tells a file that grew since the look above.
    read.bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || read.bytes.size() > maxBytes)
        return failure(
            path, QStringLiteral("ファイルを読めませんでした (%1).").arg(file.errorString()));
    return read;
}

} // namespace zk
