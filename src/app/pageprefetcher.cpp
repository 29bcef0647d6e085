#include "pageprefetcher.h"

#include "model/entrytable.h"

namespace zk {

namespace {

// The photos of the page on screen go ahead of any prefetch still queued.
constexpr int OnScreen = 1;
constexpr int Ahead = 0;
// Prefetches run on two threads at most, each photo after photo, so that a
// thread is always free at once for the page on screen.
constexpr int PrefetchLanes = 2;

// The photo paths of a page; none for a page the album does not have.
QStringList photosOf(const EntryTable& entries, int page)
{
    QStringList paths;
    for (int s = 0; s < 3 && page >= 1 && page <= entries.page_count(); ++s) {
        const QString& path = entries.get_field(entry_index(page, s), EntryField::Image);
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

} // namespace

PagePrefetcher::PagePrefetcher(PhotoLoader& photoLoader, QObject* parent)
    : QObject(parent), loader(photoLoader), generation(std::make_shared<std::atomic<int>>(0)),
      pageGeneration(std::make_shared<std::atomic<int>>(0))
{
    // A thread for each photo of a page shown cold: the system shares both
    // cores among the three, so the last is there after the time of one and
    // a half decodes rather than two.
    pool.setMaxThreadCount(3);
}

PagePrefetcher::~PagePrefetcher()
{
    new_page();
    pool.waitForDone();
}

void PagePrefetcher::cancel()
{
    // Queued photos see the new generation and end at once; the queue is not
    // cleared, since it may hold photos of the page on screen.
    ++*generation;
}

void PagePrefetcher::new_page()
{
    // Everything queued is for the page before; the prefetch is asked for
    // again once the new page shows its photos.
    ++*pageGeneration;
    ++*generation;
    pool.clear();
}

void PagePrefetcher::decode_now(
    quint64 ticket, const QString& path, const QSize& size, PhotoFit fit)
{
    const int current = *pageGeneration;
    pool.start(
        [this, ticket, path, size, fit, current, latest = pageGeneration] {
            if (*latest != current)
                return;
            // Queued to the window's thread; the destructor waits for this
            // job, so the prefetcher outlives the emission.
            Q_EMIT photoDecoded(ticket, loader.load(path, size, fit));
        },
        OnScreen);
}

void PagePrefetcher::page_shown(
    const EntryTable& entries, int page, const QSize& size, PhotoFit fit)
{
    prefetch(photosOf(entries, page + 1) + photosOf(entries, page - 1), size, fit);
}

void PagePrefetcher::prefetch_page(
    const EntryTable& entries, int page, const QSize& size, PhotoFit fit)
{
    prefetch(photosOf(entries, page), size, fit);
}

void PagePrefetcher::prefetch(const QStringList& paths, const QSize& size, PhotoFit fit)
{
    cancel();
    const int current = *generation;
    for (int lane = 0; lane < PrefetchLanes; ++lane) {
        QStringList share;
        for (qsizetype i = lane; i < paths.size(); i += PrefetchLanes)
            share << paths.at(i);
        if (share.isEmpty())
            continue;
        pool.start(
            [this, share, size, fit, current, latest = generation] {
                for (const QString& path : share) {
                    // The user has moved on: these photos are no longer wanted.
                    if (*latest != current)
                        return;
                    loader.load(path, size, fit);
                }
            },
            Ahead);
    }
}

} // namespace zk
