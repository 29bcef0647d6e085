#include "photointegrity.h"

#include "photos/photofile.h"
#include "photos/photorecorder.h"

#include <QStringList>

namespace zk {

PhotoCheck PhotoIntegrity::compare_quick(const QString& path, const PhotoRecord& record)
{
    if (!record.isValid())
        return {};
    // Looked at as the recorder looks, so that equal files compare equal.
    const PhotoFile file(path);
    if (!file.error().isEmpty())
        return { PhotoCheck::State::Unreadable, file.error() };
    QStringList differs;
    if (file.size() != record.size)
        differs << QStringLiteral("サイズ %1 → %2 バイト").arg(record.size).arg(file.size());
    if (file.modified() / 1000000 != record.modified)
        differs << QStringLiteral("更新日時");
    if (!differs.isEmpty())
        return { PhotoCheck::State::Changed, differs.join(QStringLiteral(", ")) };
    return { PhotoCheck::State::Unchanged, {} };
}

PhotoCheck PhotoIntegrity::compare_full(const QString& path, const PhotoRecord& record)
{
    const PhotoCheck quick = compare_quick(path, record);
    if (quick.state != PhotoCheck::State::Unchanged || record.sha256.isEmpty())
        return quick;
    QString error;
    const PhotoRecord now = PhotoRecorder::record(path, &error);
    if (!now.isValid())
        return { PhotoCheck::State::Unreadable, error };
    if (now.sha256 != record.sha256)
        return { PhotoCheck::State::Changed, QStringLiteral("内容 (SHA-256)") };
    return quick;
}

} // namespace zk
