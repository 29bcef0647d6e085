#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QSize>
#include <QStringList>
#include <QWaitCondition>

#include <memory>
#include <vector>

class QThread;

namespace zk {

// Decodes small pictures of photos on worker threads, so that a view of a
// whole album never waits for a decode. The newest request is served first:
// a view asks for what it shows now, and what scrolled away can wait or be
// dropped. Each worker has its own PhotoLoader, whose cache is not shared
// between threads.
class ThumbnailLoader : public QObject
{
    Q_OBJECT

public:
    // Requests beyond this many waiting are dropped, oldest first.
    static constexpr int MaxWaiting = 96;

    ThumbnailLoader(const QSize& size, int threads = 2, QObject* parent = nullptr);
    ~ThumbnailLoader() override;

    const QSize& size() const { return thumbnailSize; }

    // Asks for the picture of path; loaded() follows, on the thread this
    // object lives in. A path already waiting moves to the front.
    void request(const QString& path);
    // Forgets every waiting request (the album was replaced).
    void forget_waiting();
    // Requests waiting or being decoded.
    int busy() const;

Q_SIGNALS:
    // image is null when error says why the photo cannot be shown.
    void loaded(const QString& path, const QImage& image, const QString& error);

private:
    void work(int index);

    QSize thumbnailSize;
    mutable QMutex mutex;
    QWaitCondition wake;
    QStringList waiting; // the newest at the end
    QStringList decoding;
    bool stopping = false;
    std::vector<std::unique_ptr<QThread>> workers;
};

} // namespace zk
