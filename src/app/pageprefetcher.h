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

// Decodes photos the user is likely to look at next into the window's photo
// cache on a thread of its own, so that turning the page finds them there.
// The window's thread never waits for it: a newer request drops the photos of
// the older one that have not been started, and a photo being decoded when
// the window needs it is simply decoded there too.
class PagePrefetcher : public QObject
{
    Q_OBJECT

public:
    PagePrefetcher(PhotoLoader& loader, QObject* parent);
    // Drops what has not started and waits for the photo being decoded.
    ~PagePrefetcher() override;

    // The photos of the pages after and before page (in that order), at size.
    void page_shown(const EntryTable& entries, int page, const QSize& size, PhotoFit fit);
    // The photos of page itself (start-up: page 1 while the cover window shows).
    void prefetch_page(const EntryTable& entries, int page, const QSize& size, PhotoFit fit);
    // Nothing more is decoded; a photo being decoded is finished.
    void cancel();
    // Waits until everything asked for is decoded (benchmarks and tests).
    void waitForDone() { pool.waitForDone(); }

private:
    void prefetch(const QStringList& paths, const QSize& size, PhotoFit fit);

    PhotoLoader& loader;
    QThreadPool pool;
    // Raised by every request; a queued photo of an older request is skipped.
    std::shared_ptr<std::atomic<int>> generation;
};

} // namespace zk
