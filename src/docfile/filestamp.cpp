#include "filestamp.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace zk {

FileStamp FileStamp::of(const QString& path)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return { info.size(), info.lastModified().toMSecsSinceEpoch(), hash.result() };
}

} // namespace zk
