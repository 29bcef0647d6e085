#include "albumfiles.h"

#include <QThread>

#include <memory>

namespace zk {

AlbumRead AlbumFiles::read(const QString& path)
{
    // The information file needs nothing of the album until it is matched.
    InfoFile::Content content;
    std::unique_ptr<QThread> worker(
        QThread::create([&content, &path] { content = InfoFile::load(path); }));
    worker->start();
    AlbumRead result;
    result.read = read_document(path);
    worker->wait();
    if (result.read.ok())
        result.info = InfoFile::apply(std::move(content), path, &result.read.document);
    return result;
}

WriteResult AlbumFiles::write(const QString& path, const Document& document)
{
    // Both threads only read the document.
    InfoFile::Prepared info;
    std::unique_ptr<QThread> worker(
        QThread::create([&info, &path, &document] { info = InfoFile::prepare(path, document); }));
    worker->start();
    const WriteResult written = write_document(path, document);
    worker->wait();
    if (!written.ok())
        return written;
    const QString message = InfoFile::commit(path, info);
    if (!message.isEmpty())
        return { WriteError::CannotWrite, message };
    return {};
}

} // namespace zk
