#include "drawnelements.h"

#include "model/document.h"
#include "print/albumprint.h"

#include <QMutex>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace zk;

namespace {

// Photos in memory: "/p/N.jpg" decodes to a picture whose red is N * 10, a
// path holding "missing" fails. Keeps a copy of every picture it hands out to
// tell how many the printing code still holds (a copy held by no one else is
// detached again).
struct FakePhotos
{
    QStringList requested;
    QList<QImage> handedOut;
    int mostAlive = 0;

    int alive() const
    {
        return int(std::count_if(
            handedOut.cbegin(), handedOut.cend(), [](const QImage& i) { return !i.isDetached(); }));
    }

    PhotoSource source()
    {
        return [this](const QString& path, const QSize& size) -> Picture {
            requested << path;
            if (path.contains(QLatin1String("missing")))
                return { QImage(), QStringLiteral("写真ファイルが見つかりません.") };
            QImage image(size, QImage::Format_RGB32);
            image.fill(qRgb(path.mid(3).section('.', 0, 0).toInt() * 10, 0, 0));
            handedOut << image;
            mostAlive = std::max(mostAlive, alive());
            return { image, {} };
        };
    }
};

// An album from a pattern such as "110 000": one group of three per page,
// 1 for an entry with the photo "/p/N.jpg", 0 for one without.
Document album(const QString& pattern)
{
    Document d;
    int n = 0;
    const QString flags = QString(pattern).remove(' ');
    for (const QChar c : flags) {
        ++n;
        d.entries.append_entry(number_text(n), QStringLiteral("題%1").arg(n), {},
            c == '1' ? QStringLiteral("/p/%1.jpg").arg(n) : QString());
    }
    return d;
}

// The job's origins (cover 0 4, photo page -13.5 4), page breaks and its end.
QStringList skeleton(const RecordingPrintDevice& device)
{
    return drawnElements(device.calls()).filter(QRegularExpression("^(origin|newpage|end|abort)"));
}

} // namespace

class TestAlbumPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheetsAndPhotos();
    void unreadablePhotoStopsTheJob();
    void deviceFailureStopsTheJob();
    void cancelAbortsTheJob_data();
    void cancelAbortsTheJob();
    void singlePageWithoutPhotosDrawnInFull();
    void pageRangePrintsThosePages_data();
    void pageRangePrintsThosePages();
    void pipelinePrintsAsTheSequentialPrint_data();
    void pipelinePrintsAsTheSequentialPrint();
};

// The cover's page break starts page 1, every later page gets its own, and a
// page without any photo stays an empty sheet (first, middle and last here).
// Each photo is decoded once, from its own entry's file, at the device's print
// resolution, and drawn in its slot; no more than one page's photos are held.
void TestAlbumPrint::sheetsAndPhotos()
{
    RecordingPrintDevice device(150);
    FakePhotos photos;
    QVERIFY(print_album(device, album("000 101 000 011 000"), photos.source()).ok());
    const QString cover = "origin 0 4";
    const QString page = "origin -13.5 4";
    QCOMPARE(skeleton(device),
        (QStringList {
            cover, "newpage", "newpage", page, "newpage", "newpage", page, "newpage", "end" }));
    QCOMPARE(photos.requested, (QStringList { "/p/4.jpg", "/p/6.jpg", "/p/11.jpg", "/p/12.jpg" }));
    QCOMPARE(drawnElements(device.calls()).filter("picture"),
        (QStringList { "picture 19.5 11 120 87 709x514 #280000",
            "picture 19.5 194 120 87 709x514 #3c0000", "picture 19.5 103 120 87 709x514 #6e0000",
            "picture 19.5 194 120 87 709x514 #780000" }));
    QVERIFY2(photos.mostAlive <= 2, qPrintable(QString::number(photos.mostAlive)));
    QCOMPARE(photos.alive(), 0);
}

// The job is aborted before the page is drawn, no later photo is decoded,
// and the message names the entry and the file.
void TestAlbumPrint::unreadablePhotoStopsTheJob()
{
    Document document = album("111 111 111");
    document.entries.set_field(5, EntryField::Image, QStringLiteral("/p/missing-5.jpg"));
    RecordingPrintDevice device;
    FakePhotos photos;
    const PrintResult result = print_album(device, document, photos.source());
    QCOMPARE(result.status, PrintStatus::Failed);
    QCOMPARE(result.entry, 5);
    QVERIFY2(result.message.contains(QLatin1String("No. 5"))
            && result.message.contains(QLatin1String("/p/missing-5.jpg")),
        qPrintable(result.message));
    QCOMPARE(
        skeleton(device), (QStringList { "origin 0 4", "newpage", "origin -13.5 4", "abort" }));
    QCOMPARE(photos.requested.last(), QStringLiteral("/p/missing-5.jpg"));
}

// A device that fails (at page 2's page break, and in the single-page print
// at once) aborts the job with the device's reason; nothing more is decoded.
void TestAlbumPrint::deviceFailureStopsTheJob()
{
    const Document document = album("111 111 111");
    RecordingPrintDevice probe;
    FakePhotos unused;
    QVERIFY(print_album(probe, document, unused.source()).ok());
    const QStringList log = probe.log();
    RecordingPrintDevice device;
    device.failAtCall(int(log.indexOf("newpage", log.indexOf("newpage") + 1)), "用紙がありません.");
    FakePhotos photos;
    const PrintResult result = print_album(device, document, photos.source());
    QCOMPARE(result.status, PrintStatus::Failed);
    QVERIFY2(result.message.contains("用紙がありません."), qPrintable(result.message));
    QCOMPARE(skeleton(device).last(), QStringLiteral("abort"));
    QCOMPARE(photos.requested.size(), 6);

    RecordingPrintDevice single;
    single.failAtCall(0, QStringLiteral("プリンタがありません."));
    QCOMPARE(print_page(single, PageSlots()).status, PrintStatus::Failed);
    QCOMPARE(single.log().last(), QStringLiteral("abort"));
}

// A cancel before the cover sends nothing to the device; a later one aborts
// the job and decodes nothing more. The callback is told page and page count.
void TestAlbumPrint::cancelAbortsTheJob_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<QStringList>("skeleton");
    QTest::newRow("before the cover") << 0 << QStringList();
    QTest::newRow("before page 2")
        << 2 << QStringList { "origin 0 4", "newpage", "origin -13.5 4", "abort" };
}

void TestAlbumPrint::cancelAbortsTheJob()
{
    QFETCH(int, cancelAt);
    QFETCH(QStringList, skeleton);
    RecordingPrintDevice device;
    FakePhotos photos;
    QStringList told;
    const PrintResult result
        = print_album(device, album("111 111 111"), photos.source(), [&](int page, int pages) {
              told << QStringLiteral("%1/%2").arg(page).arg(pages);
              return page != cancelAt;
          });
    QCOMPARE(result.status, PrintStatus::Cancelled);
    QCOMPARE(::skeleton(device), skeleton);
    QCOMPARE(photos.requested.size(), 3 * std::max(0, cancelAt - 1));
    QCOMPARE(told, (QStringList { "0/3", "1/3", "2/3" }).mid(0, cancelAt + 1));
}

// Unlike the album, the single-page print draws a page without any photo in
// full (three empty frames), as one job of one sheet, decoding nothing.
void TestAlbumPrint::singlePageWithoutPhotosDrawnInFull()
{
    const Document document = album("111 000");
    PageSlots slots;
    FakePhotos photos;
    QVERIFY(load_page_slots(slots, document.entries, 2, photos.source(), QSize(1417, 1028)).ok());
    QVERIFY(photos.requested.isEmpty());
    RecordingPrintDevice device;
    QVERIFY(print_page(device, slots).ok());
    const QStringList elements = drawnElements(device.calls());
    QCOMPARE(skeleton(device), (QStringList { "origin -13.5 4", "end" }));
    QCOMPARE(elements.filter("rect").size(), 3);
    QVERIFY(elements.filter("picture").isEmpty());
    QVERIFY(elements.contains("text 143.5 206 M 11 R 題6"));
}

// The range counts pages as the page box does; the cover comes only with a
// range from page 1, the first page of the range needs no page break, a
// range past the end is cut at the last page, and one wholly past it prints
// nothing and says so.
void TestAlbumPrint::pageRangePrintsThosePages_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("skeleton");
    QTest::addColumn<QStringList>("requested");
    const QString cover = "origin 0 4";
    const QString page = "origin -13.5 4";
    QTest::newRow("all") << 1 << 0
                         << QStringList { cover, "newpage", page, "newpage", page, "newpage", page,
                                "end" }
                         << QStringList { "/p/1.jpg", "/p/4.jpg", "/p/7.jpg" };
    QTest::newRow("page 1 with the cover")
        << 1 << 1 << QStringList { cover, "newpage", page, "end" } << QStringList { "/p/1.jpg" };
    QTest::newRow("pages 2 to 3 without the cover")
        << 2 << 3 << QStringList { page, "newpage", page, "end" }
        << QStringList { "/p/4.jpg", "/p/7.jpg" };
    QTest::newRow("range past the last page")
        << 3 << 9 << QStringList { page, "end" } << QStringList { "/p/7.jpg" };
    QTest::newRow("range wholly past the end") << 4 << 5 << QStringList() << QStringList();
}

void TestAlbumPrint::pageRangePrintsThosePages()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QStringList, skeleton);
    QFETCH(QStringList, requested);
    RecordingPrintDevice device;
    FakePhotos photos;
    PrintOptions options;
    options.firstPage = first;
    options.lastPage = last;
    const PrintResult result
        = print_album(device, album("100 100 100"), photos.source(), {}, options);
    QCOMPARE(result.ok(), !skeleton.isEmpty());
    if (!result.ok())
        QVERIFY2(result.message.contains("3 ページまで"), qPrintable(result.message));
    QCOMPARE(::skeleton(device), skeleton);
    QCOMPARE(photos.requested, requested);
}

// Decoding the next pages on worker threads changes nothing on paper: the
// same calls as the sequential print, the same result and message when a
// photo of a page decoded ahead cannot be read (the pages before it printed,
// its own not), the same when the user cancels; and never more than the
// page being drawn and two pages ahead held at once.
void TestAlbumPrint::pipelinePrintsAsTheSequentialPrint_data()
{
    QTest::addColumn<int>("missing");
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<bool>("keepShape");
    QTest::newRow("whole album") << 0 << 0 << false;
    QTest::newRow("shape kept") << 0 << 0 << true;
    QTest::newRow("unreadable photo on page 3") << 8 << 0 << false;
    QTest::newRow("unreadable photo on the last page") << 17 << 0 << false;
    QTest::newRow("cancel before page 4") << 0 << 4 << false;
}

void TestAlbumPrint::pipelinePrintsAsTheSequentialPrint()
{
    QFETCH(int, missing);
    QFETCH(int, cancelAt);
    QFETCH(bool, keepShape);
    Document document = album("111 101 111 011 110 111 000");
    if (missing > 0)
        document.entries.set_field(missing, EntryField::Image, QStringLiteral("/p/missing.jpg"));
    const PrintProgress progress = [&](int page, int) { return page != cancelAt; };

    PrintOptions options;
    options.keepPhotoShape = keepShape;
    RecordingPrintDevice sequential;
    FakePhotos once;
    const PrintResult expected = print_album(sequential, document, once.source(), progress, options);

    options.pagesAhead = 2;
    options.threads = 2;
    RecordingPrintDevice pipelined;
    FakePhotos photos;
    QMutex mutex;
    const PhotoSource inner = photos.source();
    const PhotoSource locked = [&](const QString& path, const QSize& size) {
        const QMutexLocker locker(&mutex);
        return inner(path, size);
    };
    const PrintResult result = print_album(pipelined, document, locked, progress, options);

    QCOMPARE(result.status, expected.status);
    QCOMPARE(result.entry, expected.entry);
    QCOMPARE(result.message, expected.message);
    QCOMPARE(drawnElements(pipelined.calls()), drawnElements(sequential.calls()));
    QVERIFY2(photos.mostAlive <= 9, qPrintable(QString::number(photos.mostAlive)));
    QCOMPARE(photos.alive(), 0);
}

QTEST_GUILESS_MAIN(TestAlbumPrint)
#include "tst_albumprint.moc"
