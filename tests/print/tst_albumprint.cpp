#include "drawnelements.h"

#include "model/document.h"
#include "print/albumprint.h"

#include <QTest>

#include <algorithm>

using namespace zk;

namespace {

// Photos in memory: "/p/N.jpg" decodes to a picture whose red is N * 10,
// a path holding "missing" fails as an unreadable file would. Keeps a copy of
// everything it hands out, so that it can tell how many are still held by
// the printing code (a copy nobody else holds is detached again).
struct FakePhotos
{
    QStringList requested;
    QList<QSize> sizes;
    QList<QImage> handedOut;
    int mostAlive = 0;

    int alive() const
    {
        return int(std::count_if(
            handedOut.cbegin(), handedOut.cend(), [](const QImage& i) { return !i.isDetached(); }));
    }

    Picture load(const QString& path, const QSize& size)
    {
        requested << path;
        sizes << size;
        if (path.contains(QLatin1String("missing")))
            return { QImage(), QStringLiteral("写真ファイルを読めませんでした (File not found).") };
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(numberIn(path) * 10, 0, 0));
        handedOut << image;
        mostAlive = std::max(mostAlive, alive());
        return { image, {} };
    }

    static int numberIn(const QString& path)
    {
        return path.section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0).toInt();
    }

    PhotoSource source()
    {
        return [this](const QString& path, const QSize& size) { return load(path, size); };
    }
};

// An album from a pattern such as "110 000": one group of three per page,
// 1 for an entry with a photo "/p/N.jpg", 0 for one without.
Document album(const QString& pattern)
{
    Document d;
    d.cover.setField(CoverField::ProjectName, QStringLiteral("市道改良工事"));
    int n = 0;
    for (const QString& page : pattern.split(QLatin1Char(' '))) {
        for (const QChar c : page) {
            ++n;
            d.entries.append_entry(number_text(n), QStringLiteral("題%1").arg(n),
                QStringLiteral("説明%1").arg(n),
                c == QLatin1Char('1') ? QStringLiteral("/p/%1.jpg").arg(n) : QString());
        }
    }
    return d;
}

QStringList skeleton(const RecordingPrintDevice& device)
{
    QStringList lines;
    for (const QString& e : drawnElements(device.calls())) {
        if (e.startsWith(QLatin1String("origin")) || e == QLatin1String("newpage")
            || e == QLatin1String("end") || e == QLatin1String("abort"))
            lines << e;
    }
    return lines;
}

// The elements of one sheet of the job (0 = the cover).
QStringList sheet(const RecordingPrintDevice& device, int index)
{
    QList<QStringList> pages { {} };
    for (const QString& e : drawnElements(device.calls())) {
        if (e == QLatin1String("newpage")) {
            pages.append(QStringList());
            continue;
        }
        pages.last() << e;
    }
    return pages.value(index);
}

} // namespace

class TestAlbumPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheetsAndPageBreaks_data();
    void sheetsAndPageBreaks();
    void pagesDrawnAsTheSinglePagePrintDrawsThem();
    void photosDecodedAtPrintResolution_data();
    void photosDecodedAtPrintResolution();
    void atMostThreePicturesAlive();
    void unreadablePhotoStopsTheJob();
    void deviceFailureStopsTheJob();
    void cancelAbortsTheJob_data();
    void cancelAbortsTheJob();
    void eachCopyIsAJobOfItsOwn();
    void singlePageDrawnInFullWithoutPhotos();
    void singlePageDeviceFailure();
};

// The cover's page break starts page 1; every later page gets a page break,
// and a page without any photo stays an empty sheet; one end of job.
void TestAlbumPrint::sheetsAndPageBreaks_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");
    const QString cover = "origin 0 4";
    const QString page = "origin -13.5 4";
    QTest::newRow("two full pages")
        << "111 111" << QStringList { cover, "newpage", page, "newpage", page, "end" };
    QTest::newRow("middle page without photos")
        << "111 000 100"
        << QStringList { cover, "newpage", page, "newpage", "newpage", page, "end" };
    QTest::newRow("last page without photos")
        << "010 000" << QStringList { cover, "newpage", page, "newpage", "end" };
    QTest::newRow("first page without photos")
        << "000 001" << QStringList { cover, "newpage", "newpage", page, "end" };
    QTest::newRow("one page, one photo") << "001" << QStringList { cover, "newpage", page, "end" };
}

void TestAlbumPrint::sheetsAndPageBreaks()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);
    RecordingPrintDevice device;
    FakePhotos photos;
    const PrintResult result = print_album(device, album(pattern), photos.source());
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(skeleton(device), expected);
    // The cover is the one of print_cover, the empty sheets hold nothing.
    QVERIFY(sheet(device, 0).contains("text 77 50 G 28 B 工 事 写 真 帳"));
}

// A page of the album is drawn element for element as print_page draws the
// same page from its slots: all three slots, only photos with the flag,
// each the picture decoded from that entry's file.
void TestAlbumPrint::pagesDrawnAsTheSinglePagePrintDrawsThem()
{
    const Document document = album("111 010");
    RecordingPrintDevice device;
    FakePhotos photos;
    QVERIFY(print_album(device, document, photos.source()).ok());

    for (int page = 1; page <= 2; ++page) {
        PageSlots slots;
        FakePhotos again;
        QVERIFY(
            load_page_slots(slots, document.entries, page, again.source(), QSize(1417, 1028)).ok());
        RecordingPrintDevice single;
        QVERIFY(print_page(single, slots).ok());
        QStringList expected = drawnElements(single.calls());
        QCOMPARE(expected.takeLast(), QStringLiteral("end"));
        QStringList drawn = sheet(device, page);
        if (page == 2)
            QCOMPARE(drawn.takeLast(), QStringLiteral("end"));
        QCOMPARE(drawn, expected);
    }
    const QStringList page2 = sheet(device, 2);
    QVERIFY(page2.contains("text 143.5 107 M 11 R No. 5"));
    QVERIFY(page2.contains("picture 19.5 103 120 87 1417x1028 #320000"));
    QCOMPARE(page2.filter(QLatin1String("picture")).size(), 1);
    QCOMPARE(page2.filter(QLatin1String("rect")).size(), 3);
}

// Photos are decoded from their files at print resolution (at most 300 dpi),
// once each, in page order; entries without image file are never decoded.
void TestAlbumPrint::photosDecodedAtPrintResolution_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QSize>("size");
    QTest::newRow("PDF and 300 dpi printers") << 300.0 << QSize(1417, 1028);
    QTest::newRow("600 dpi printer") << 600.0 << QSize(1417, 1028);
    QTest::newRow("150 dpi printer") << 150.0 << QSize(709, 514);
}

void TestAlbumPrint::photosDecodedAtPrintResolution()
{
    QFETCH(double, dpi);
    QFETCH(QSize, size);
    RecordingPrintDevice device(dpi);
    FakePhotos photos;
    QVERIFY(print_album(device, album("101 000 011"), photos.source()).ok());
    QCOMPARE(photos.requested, (QStringList { "/p/1.jpg", "/p/3.jpg", "/p/8.jpg", "/p/9.jpg" }));
    QCOMPARE(photos.sizes, QList<QSize>(4, size));
    const QString drawn = QStringLiteral("picture 19.5 194 120 87 %1x%2 #5a0000")
                              .arg(size.width())
                              .arg(size.height());
    QVERIFY(drawnElements(device.calls()).contains(drawn));
}

// However long the album, the print keeps one page's photos at a time and
// none once it is done.
void TestAlbumPrint::atMostThreePicturesAlive()
{
    RecordingPrintDevice device;
    FakePhotos photos;
    QVERIFY(print_album(device, album("111 111 111 111 111"), photos.source()).ok());
    QCOMPARE(photos.requested.size(), 15);
    QVERIFY2(photos.mostAlive <= 3, qPrintable(QString::number(photos.mostAlive)));
    QCOMPARE(photos.alive(), 0);
}

// A photo that cannot be read aborts the job before its page is drawn, no
// later photo is decoded, and the message names the entry and the file.
void TestAlbumPrint::unreadablePhotoStopsTheJob()
{
    Document document = album("111 111 111");
    document.entries.set_field(5, EntryField::Image, QStringLiteral("/p/missing-5.jpg"));
    RecordingPrintDevice device;
    FakePhotos photos;
    const PrintResult result = print_album(device, document, photos.source());
    QCOMPARE(result.status, PrintStatus::Failed);
    QCOMPARE(result.entry, 5);
    QCOMPARE(result.file, QStringLiteral("/p/missing-5.jpg"));
    QVERIFY2(result.message.contains(QLatin1String("No. 5"))
            && result.message.contains(QLatin1String("/p/missing-5.jpg"))
            && result.message.contains(QLatin1String("File not found"))
            && !result.message.contains(QLatin1Char('\n')),
        qPrintable(result.message));
    QCOMPARE(
        skeleton(device), (QStringList { "origin 0 4", "newpage", "origin -13.5 4", "abort" }));
    QCOMPARE(photos.requested.last(), QStringLiteral("/p/missing-5.jpg"));
    QCOMPARE(photos.alive(), 0);
}

// A device that fails (here at page 2's page break) aborts the job with the
// device's reason, and nothing more is decoded or drawn.
void TestAlbumPrint::deviceFailureStopsTheJob()
{
    const Document document = album("111 111 111");
    RecordingPrintDevice probe;
    FakePhotos unused;
    QVERIFY(print_album(probe, document, unused.source()).ok());
    const QStringList log = probe.log();
    const int secondBreak = int(log.indexOf("newpage", log.indexOf("newpage") + 1));
    QVERIFY(secondBreak > 0);

    RecordingPrintDevice device;
    device.failAtCall(secondBreak, QStringLiteral("用紙がありません."));
    FakePhotos photos;
    const PrintResult result = print_album(device, document, photos.source());
    QCOMPARE(result.status, PrintStatus::Failed);
    QVERIFY2(
        result.message.contains(QStringLiteral("用紙がありません.")), qPrintable(result.message));
    QCOMPARE(device.log().last(), QStringLiteral("abort"));
    QVERIFY(!device.log().contains("end"));
    QCOMPARE(photos.requested.size(), 6);
}

// Cancel from the progress callback: before the cover nothing reaches the
// device; later the job is aborted and nothing more is decoded.
void TestAlbumPrint::cancelAbortsTheJob_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<QStringList>("skeleton");
    QTest::addColumn<int>("decoded");
    QTest::newRow("before the cover") << 0 << QStringList() << 0;
    QTest::newRow("before page 2")
        << 2 << QStringList { "origin 0 4", "newpage", "origin -13.5 4", "abort" } << 3;
}

void TestAlbumPrint::cancelAbortsTheJob()
{
    QFETCH(int, cancelAt);
    QFETCH(QStringList, skeleton);
    QFETCH(int, decoded);
    RecordingPrintDevice device;
    FakePhotos photos;
    QList<QPair<int, int>> told;
    const PrintResult result
        = print_album(device, album("111 111 111"), photos.source(), [&](int page, int pages) {
              told.append({ page, pages });
              return page != cancelAt;
          });
    QCOMPARE(result.status, PrintStatus::Cancelled);
    QCOMPARE(::skeleton(device), skeleton);
    QCOMPARE(photos.requested.size(), decoded);
    QCOMPARE(told.last(), qMakePair(cancelAt, 3));
    QCOMPARE(told.size(), cancelAt + 1);
}

// Copies are jobs printed one after the other on the same device, each with
// its cover and its end of job; a job after a failed one starts afresh.
void TestAlbumPrint::eachCopyIsAJobOfItsOwn()
{
    const Document document = album("100");
    RecordingPrintDevice device;
    device.failAtCall(1, QStringLiteral("紙づまり."));
    FakePhotos photos;
    QCOMPARE(print_album(device, document, photos.source()).status, PrintStatus::Failed);
    device.clear();
    for (int copy = 0; copy < 2; ++copy)
        QVERIFY(print_album(device, document, photos.source()).ok());
    QCOMPARE(skeleton(device),
        (QStringList { "origin 0 4", "newpage", "origin -13.5 4", "end", "origin 0 4", "newpage",
            "origin -13.5 4", "end" }));
}

// The single-page print draws a page without any photo in full: rules,
// labels, titles, texts and three empty frames, as one job.
void TestAlbumPrint::singlePageDrawnInFullWithoutPhotos()
{
    const Document document = album("111 000");
    PageSlots slots;
    FakePhotos photos;
    QVERIFY(load_page_slots(slots, document.entries, 2, photos.source(), QSize(1417, 1028)).ok());
    QVERIFY(photos.requested.isEmpty());
    RecordingPrintDevice device;
    QVERIFY(print_page(device, slots).ok());
    const QStringList elements = drawnElements(device.calls());
    QCOMPARE(elements.first(), QStringLiteral("origin -13.5 4"));
    QCOMPARE(elements.last(), QStringLiteral("end"));
    QVERIFY(!elements.contains("newpage"));
    QCOMPARE(elements.filter(QLatin1String("rect")).size(), 3);
    QCOMPARE(elements.filter(QLatin1String("picture")).size(), 0);
    QVERIFY(elements.contains("text 143.5 206 M 11 R 題6"));
    QVERIFY(elements.contains("text 143.5 123 M 10 R 説明5"));
}

void TestAlbumPrint::singlePageDeviceFailure()
{
    RecordingPrintDevice device;
    device.failAtCall(0, QStringLiteral("プリンタがありません."));
    const PrintResult result = print_page(device, PageSlots());
    QCOMPARE(result.status, PrintStatus::Failed);
    QVERIFY(result.message.contains(QStringLiteral("プリンタがありません.")));
    QCOMPARE(device.log().last(), QStringLiteral("abort"));
}

QTEST_GUILESS_MAIN(TestAlbumPrint)
#include "tst_albumprint.moc"
