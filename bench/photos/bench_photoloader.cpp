// Times how fast a page of three 12-megapixel photos appears, never seen
// (cold) and seen before (warm), against QImage decoding the same three files
// at full size, and measures the memory taken while paging through 30 pages.

#include "benchphotos.h"
#include "photos/photoloader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace zk;

namespace {

using bench::PhotoSize;
constexpr QSize Slot(257, 169); // logical pixels
constexpr int Pages = 30;
constexpr int Rounds = 9;

template <typename F> double elapsedMs(F f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

// A line of /proc/self/status in kB.
qint64 statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bool ok = dir.isValid();

    // Three photos; the paging run gives each of them 30 names, so that every
    // page holds files the loader has not seen.
    QList<QByteArray> photos;
    for (int i = 0; i < 3; ++i)
        photos << bench::scene(i + 1);
    const auto pathOf = [&](int page, int slot) {
        return dir.filePath(QStringLiteral("P%1-%2.jpg").arg(page).arg(slot));
    };
    for (int page = 0; page < Pages; ++page)
        for (int slot = 0; slot < 3; ++slot) {
            QFile file(pathOf(page, slot));
            ok &= file.open(QIODevice::WriteOnly)
                && file.write(photos[slot]) == photos[slot].size();
        }
    if (!ok) {
        std::fprintf(stderr, "bench_photoloader: cannot write the photos\n");
        return 1;
    }
    const QSize slot2x = Slot * 2;

    // Paging first, before the full-size decodes raise the peak: forward
    // through all pages, then back to the first.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    const bool peakReset = clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
    clearRefs.close();
    const qint64 rssBefore = statusKb("VmRSS:");
    qint64 cachePeak = 0;
    int forwardDecodes = 0;
    int backDecodes = 0;
    double pagingMs = 0;
    {
        PhotoLoader loader;
        QElapsedTimer t;
        t.start();
        for (int page = 0; page < Pages; ++page) {
            for (int s = 0; s < 3; ++s)
                ok &= loader.load(pathOf(page, s), slot2x).ok();
            cachePeak = std::max(cachePeak, loader.cachedBytes());
        }
        pagingMs = t.nsecsElapsed() / 1e6;
        forwardDecodes = loader.decodeCount();
        for (int page = Pages - 1; page >= 0; --page)
            for (int s = 0; s < 3; ++s)
                ok &= loader.load(pathOf(page, s), slot2x).ok();
        backDecodes = loader.decodeCount() - forwardDecodes;
    }
    const qint64 peak = statusKb("VmHWM:");

    // Rounds interleave the four measurements, so that another program busy
    // on the machine slows each of them alike; the best round of each counts.
    // Cold: a fresh loader each round. Warm: one loader that has seen the page.
    const auto page = [&](PhotoLoader& loader, const QSize& size) {
        for (int s = 0; s < 3; ++s)
            ok &= loader.load(pathOf(0, s), size).ok();
    };
    PhotoLoader seen;
    page(seen, slot2x);
    double full = 1e300;
    double cold2x = 1e300;
    double cold1x = 1e300;
    double warm = 1e300;
    for (int round = 0; round < Rounds; ++round) {
        full = std::min(full, elapsedMs([&] {
            for (int s = 0; s < 3; ++s)
                ok &= QImage(pathOf(0, s)).size() == PhotoSize;
        }));
        cold2x = std::min(cold2x, elapsedMs([&] {
            PhotoLoader loader;
            page(loader, slot2x);
        }));
        cold1x = std::min(cold1x, elapsedMs([&] {
            PhotoLoader loader;
            page(loader, Slot);
        }));
        warm = std::min(warm, elapsedMs([&] { page(seen, slot2x); }));
    }
    ok &= seen.decodeCount() == 3;
    if (!ok) {
        std::fprintf(stderr, "bench_photoloader: a load failed\n");
        return 1;
    }

    std::printf("photos: 3 x %dx%d JPEG, quality 92, %.1f / %.1f / %.1f MiB\n", PhotoSize.width(),
        PhotoSize.height(), photos[0].size() / 1048576.0, photos[1].size() / 1048576.0,
        photos[2].size() / 1048576.0);
    std::printf("full decode (QImage)    %8.1f ms a page\n", full);
    std::printf("cold at %dx%d (2x)   %8.1f ms  (%.3f x full)\n", slot2x.width(), slot2x.height(),
        cold2x, cold2x / full);
    std::printf("cold at %dx%d (1x)   %8.1f ms  (%.3f x full)\n", Slot.width(), Slot.height(),
        cold1x, cold1x / full);
    std::printf("warm at %dx%d (2x)   %8.3f ms  (%.4f x full)\n", slot2x.width(), slot2x.height(),
        warm, warm / full);
    std::printf("paging %d pages at 2x: %d decodes forward (%.1f ms a page), %d back\n", Pages,
        forwardDecodes, pagingMs / Pages, backDecodes);
    std::printf("memory while paging: RSS %.1f MiB before, peak %.1f MiB%s; cache peak %.1f MiB "
                "of %.0f MiB\n",
        rssBefore / 1024.0, peak / 1024.0, peakReset ? "" : " (peak since start)",
        cachePeak / 1048576.0, PhotoLoader::DefaultCacheBytes / 1048576.0);
    const bool met = cold2x <= 0.5 * full && warm <= 0.05 * full;
    std::printf("target: cold <= 0.5 x full, warm <= 0.05 x full (best of %d, 2x): %s\n", Rounds,
        met ? "met" : "NOT met");
    return met ? 0 : 1;
}
