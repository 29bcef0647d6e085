// The overview of a 3,000-entry album of 12-megapixel photos: time until
// the window is shown, time until the thumbnails of the first screen are
// there (against decoding those photos at thumbnail size on one core), the
// longest stall of the event loop while scrolling through the whole album,
// and the memory taken.

#include "benchphotos.h"

#include "model/album.h"
#include "overview/albumlistmodel.h"
#include "overview/overviewwindow.h"
#include "photos/photoloader.h"
#include "photos/thumbnailloader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace zk;

namespace {

constexpr int Entries = 3000;

// 3,000 distinct paths (links to the 300 photos), so that no decode is
// served twice from a cache keyed by path.
QString linkPath(int i)
{
    return bench::photoFolder() + QStringLiteral("/overview/P%1.jpg").arg(i + 1, 5, 10, QLatin1Char('0'));
}

bool ensureLinks()
{
    QDir().mkpath(bench::photoFolder() + QStringLiteral("/overview"));
    for (int i = 0; i < Entries; ++i) {
        if (!QFile::exists(linkPath(i))
            && !QFile::link(bench::photoPath(i % bench::PhotoCount), linkPath(i)))
            return false;
    }
    return true;
}

QList<int> visibleRows(QListView* view)
{
    QList<int> rows;
    for (int r = 0; r < view->model()->rowCount(); ++r) {
        const QRect rect = view->visualRect(view->model()->index(r, 0));
        if (rect.intersects(view->viewport()->rect()))
            rows << r;
        else if (!rows.isEmpty())
            break;
    }
    return rows;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    std::printf("load average at start: %.2f (2 cores, shared)\n", bench::loadAverage());
    if (!bench::ensurePhotos() || !ensureLinks()) {
        std::fprintf(stderr, "cannot prepare %s\n", qPrintable(bench::photoFolder()));
        return 1;
    }

    Document d;
    for (int i = 0; i < Entries; ++i)
        d.entries.append_entry(number_text(i + 1), QStringLiteral("写真 %1").arg(i + 1), {}, linkPath(i));
    Album album;
    album.replace_document(d, {});
    const qint64 rssBefore = bench::peakRssKiB();

    QElapsedTimer timer;
    timer.start();
    OverviewWindow window(album);
    window.resize(900, 700);
    window.show();
    // Shown: laid out and painted once.
    QCoreApplication::processEvents();
    window.view()->viewport()->repaint();
    const qint64 shownNs = timer.nsecsElapsed();
    std::printf("window of %d entries shown: %.1f ms (target <= 500 ms) %s\n", Entries,
        shownNs / 1e6, shownNs <= 500000000 ? "OK" : "OVER");

    AlbumListModel* model = window.model();
    const QList<int> rows = visibleRows(window.view());
    const auto allThere = [&] {
        return std::all_of(rows.cbegin(), rows.cend(), [&](int r) {
            return !model->index(r).data(Qt::DecorationRole).value<QPixmap>().isNull();
        });
    };
    while (!allThere() && timer.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    const qint64 firstScreenNs = timer.nsecsElapsed() - shownNs;

    // The same photos decoded at thumbnail size one after the other.
    PhotoLoader single(0);
    QElapsedTimer oneCore;
    oneCore.start();
    for (int r : rows)
        single.load(bench::photoPath(r % bench::PhotoCount), window.thumbnailLoader()->size());
    const qint64 oneCoreNs = oneCore.nsecsElapsed();
    const double ratio = double(firstScreenNs) / double(oneCoreNs);
    std::printf("first screen (%lld tiles): %.0f ms; one core decoding them: %.0f ms; ratio %.2f "
                "(target <= 1.5) %s\n",
        static_cast<long long>(rows.size()), firstScreenNs / 1e6, oneCoreNs / 1e6, ratio,
        ratio <= 1.5 ? "OK" : "OVER");

    // Scroll through the whole album a step every 16 ms, as a wheel would,
    // while a 5 ms timer notes the longest gap between its ticks.
    QScrollBar* bar = window.view()->verticalScrollBar();
    QElapsedTimer gapClock;
    qint64 longestGap = 0;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const qint64 now = gapClock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    QTimer scroller;
    QEventLoop loop;
    QObject::connect(&scroller, &QTimer::timeout, &scroller, [&] {
        if (bar->value() >= bar->maximum()) {
            loop.quit();
            return;
        }
        bar->setValue(bar->value() + bar->singleStep() * 3);
    });
    gapClock.start();
    ticker.start(5);
    scroller.start(16);
    QElapsedTimer scrolling;
    scrolling.start();
    loop.exec();
    ticker.stop();
    const double gapMs = (longestGap - 5000000) / 1e6;
    std::printf("scrolled through in %.1f s; longest event-loop stall beyond the 5 ms tick: "
                "%.1f ms (target <= 50 ms) %s\n",
        scrolling.elapsed() / 1000.0, gapMs, gapMs <= 50 ? "OK" : "OVER");

    // Let the last screen's thumbnails arrive, then the peak.
    QElapsedTimer settle;
    settle.start();
    while (window.thumbnailLoader()->busy() > 0 && settle.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    const qint64 peak = bench::peakRssKiB();
    std::printf("peak memory: %.1f MiB (album alone %.1f MiB; target <= 150 MiB) %s\n",
        peak / 1024.0, rssBefore / 1024.0, peak <= 150 * 1024 ? "OK" : "OVER");
    std::printf("load average at end: %.2f\n", bench::loadAverage());
    return 0;
}
