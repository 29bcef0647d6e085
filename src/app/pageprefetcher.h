#pragma once

#include "photos/photoloader.h"

#include <QObject>
#include <QSize>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace zk {

class EntryTable;

// Decodes photos on three threads, so that both cores work while the user
// waits: first the photos of the page on screen that no cache holds, then,
// ahead of time, the photos the user is likely to look at next, into the
// window's photo cache, so that turning the page finds them there. The
// window's thread never waits for it: a newer request drops the photos of the
// older one that have not been started.
class PagePrefetcher : public QObject
{
    Q_OBJECT

public:
    PagePrefetcher(PhotoLoader& loader, QObject* parent);
    // Drops what has not started and waits for the photos being decoded.
    ~PagePrefetcher() override;

    // The photos of the pages after and before page (in that order), at size.
    void page_shown(const EntryTable& entries, int page, const QSize& size, PhotoFit fit);
    // The photos of page itself (start-up: page 1 while the cover window shows).
    void prefetch_page(const EntryTable& entries, int page, const QSize& size, PhotoFit fit);
    // Nothing more is prefetched; a photo being decoded is finished.
    void cancel();
    // Waits until everything asked for is decoded (benchmarks and tests).
    void waitForDone() { pool.waitForDone(); }

    // A photo of the page on screen, decoded ahead of every prefetch;
    // photoDecoded tells it with ticket. A new page drops the photos of the
    // page before that have not started, and every prefetch.
    void decode_now(quint64 ticket, const QString& path, const QSize& size, PhotoFit fit);
    void new_page();

Q_SIGNALS:
    // On the window's thread, for a photo asked for by decode_now.
    void photoDecoded(quint64 ticket, const zk::Picture& picture);

private:
    void prefetch(const QStringList& paths, const QSize& size, PhotoFit fit);

    PhotoLoader& loader;
    QThreadPool pool;
    // Raised by every request; a queued photo of an older request is skipped.
    std::shared_ptr<std::atomic<int>> generation;
    // Raised by every new page; a queued photo of an older page is skipped.
    std::shared_ptr<std::atomic<int>> pageGeneration;
};

} // namespace zk
