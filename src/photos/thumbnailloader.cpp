#include "thumbnailloader.h"

#include "photos/photoloader.h"

#include <QThread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zk {

namespace {

// Each worker keeps what it decoded last, for a view that asks again right
// after its own cache dropped a picture.
constexpr qint64 WorkerCacheBytes = 4 * 1024 * 1024;

} // namespace

ThumbnailLoader::ThumbnailLoader(const QSize& size, int threads, QObject* parent)
    : QObject(parent), thumbnailSize(size)
{
    for (int t = 0; t < qMax(1, threads); ++t) {
        workers.emplace_back(QThread::create([this, t] { work(t); }));
        workers.back()->setObjectName(QStringLiteral("thumbnails"));
        workers.back()->start();
    }
}

ThumbnailLoader::~ThumbnailLoader()
{
    {
        const QMutexLocker lock(&mutex);
        stopping = true;
        waiting.clear();
    }
    wake.wakeAll();
    for (const auto& worker : workers)
        worker->wait();
}

void ThumbnailLoader::request(const QString& path)
{
    if (path.isEmpty())
        return;
    {
        const QMutexLocker lock(&mutex);
        if (decoding.contains(path))
            return;
        const qsizetype at = waiting.lastIndexOf(path);
        if (at == waiting.size() - 1 && at >= 0)
            return;
        if (at >= 0)
            waiting.removeAt(at);
        waiting.append(path);
        if (waiting.size() > MaxWaiting)
            waiting.removeFirst();
    }
    wake.wakeOne();
}

void ThumbnailLoader::forget_waiting()
{
    const QMutexLocker lock(&mutex);
    waiting.clear();
}

int ThumbnailLoader::busy() const
{
    const QMutexLocker lock(&mutex);
    return int(waiting.size() + decoding.size());
}

void ThumbnailLoader::work(int index)
{
    // The first decoder runs as the window does, so thumbnails come at
    // least as fast as one core decodes them; the others give way to the
    // window (on Linux a thread has a nice value of its own, which QThread's
    // priorities leave alone): two equal decoders on two cores hold up
    // scrolling.
    if (index > 0)
        ::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), 10);
    PhotoLoader loader(WorkerCacheBytes);
    QMutexLocker lock(&mutex);
    for (;;) {
        while (!stopping && waiting.isEmpty())
            wake.wait(&mutex);
        if (stopping)
            return;
        const QString path = waiting.takeLast();
        decoding.append(path);
        lock.unlock();
        const Picture picture = loader.load(path, thumbnailSize);
        Q_EMIT loaded(path, picture.image, picture.error);
        lock.relock();
        decoding.removeOne(path);
    }
}

} // namespace zk
