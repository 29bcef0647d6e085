#include "photoloader.h"

#include <QImageReader>

namespace zk {

PhotoLoader::PhotoLoader(qint64 cacheBytes) : cacheBytes(cacheBytes) { }

Picture PhotoLoader::load(const QString& path, const QSize& size)
{
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(true);
    reader.setScaledSize(size);
    Picture picture;
    picture.image = reader.read();
    if (picture.image.isNull())
        picture.error
            = QStringLiteral("写真ファイルを読めませんでした (%1).").arg(reader.errorString());
    return picture;
}

} // namespace zk
