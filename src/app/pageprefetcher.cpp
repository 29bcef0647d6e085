#include "pageprefetcher.h"

#include "model/entrytable.h"

namespace zk {

PagePrefetcher::PagePrefetcher(PhotoLoader& photoLoader, QObject* parent)
    : QObject(parent), loader(photoLoader), generation(std::make_shared<std::atomic<int>>(0))
{
    // One thread: the window's own decoding keeps the other core.
    pool.setMaxThreadCount(1);
}

PagePrefetcher::~PagePrefetcher()
{
    cancel();
    pool.waitForDone();
}

void PagePrefetcher::cancel()
{
    ++*generation;
    pool.clear();
}

void PagePrefetcher::page_shown(
    const EntryTable& entries, int page, const QSize& size, PhotoFit fit)
{
    QStringList paths;
    for (const int p : { page + 1, page - 1 }) {
        if (p < 1 || p > entries.page_count())
            continue;
        for (int s = 0; s < 3; ++s) {
            const QString& path = entries.get_field(entry_index(p, s), EntryField::Image);
            if (!path.isEmpty())
                paths << path;
        }
    }
    prefetch(paths, size, fit);
}

void PagePrefetcher::prefetch_page(
    const EntryTable& entries, int page, const QSize& size, PhotoFit fit)
{
    QStringList paths;
    for (int s = 0; s < 3 && page >= 1 && page <= entries.page_count(); ++s) {
        const QString& path = entries.get_field(entry_index(page, s), EntryField::Image);
        if (!path.isEmpty())
            paths << path;
    }
    prefetch(paths, size, fit);
}

void PagePrefetcher::prefetch(const QStringList& paths, const QSize& size, PhotoFit fit)
{
    cancel();
    const int current = *generation;
    for (const QString& path : paths) {
        pool.start([this, path, size, fit, current, latest = generation] {
            // The user has moved on: this photo is no longer wanted.
            if (*latest != current)
                return;
            loader.load(path, size, fit);
        });
    }
}

} // namespace zk
