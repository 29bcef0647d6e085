#include "docfile/documentwriter.h"
#include "model/album.h"
#include "photos/exifdate.h"
#include "photos/importcandidate.h"
#include "photos/importplan.h"
#include "photos/naturalorder.h"
#include "photos/relinkfinder.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <utime.h>

#include "testbytes.h"
#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

namespace {

// One character per entry: '.' empty, a letter the photo of that name, 't'
// an entry with a title but no photo.
Document albumOf(const QString& layout)
{
    Document d;
    for (qsizetype i = 0; i < layout.size(); ++i) {
        const QChar c = layout.at(i);
        const bool photo = c != QLatin1Char('.') && c != QLatin1Char('t');
        d.entries.append_entry(number_text(i + 1),
            c == QLatin1Char('t') ? QStringLiteral("title") : QString(), {},
            photo ? QString(c) : QString());
    }
    return d;
}

QString layoutOf(const EntryTable& entries)
{
    QString s;
    for (int p = 1; p <= entries.entry_count(); ++p) {
        const Entry& e = entries.entry(p);
        s += !e.image.isEmpty() ? e.image
            : e.title.isEmpty() ? QStringLiteral(".")
                                : QStringLiteral("t");
    }
    return s;
}

ImportCandidate candidate(const QString& name, const QString& time)
{
    ImportCandidate c;
    c.path = QStringLiteral("/photos/") + name;
    c.time = QDateTime::fromString(time, Qt::ISODate);
    return c;
}

} // namespace

class TestBatchImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void naturalOrder_data();
    void naturalOrder();
    void ordering_data();
    void ordering();
    void exifTime_data();
    void exifTime();
    void inspection_data();
    void inspection();
    void placement_data();
    void placement();
    void sizeLimitRefusesWholeImport_data();
    void sizeLimitRefusesWholeImport();
    void relink_data();
    void relink();

private:
    QTemporaryDir dir;
};

void TestBatchImport::naturalOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");
    QTest::newRow("numbers by value") << "P2.jpg"
                                      << "P10.jpg" << -1;
    QTest::newRow("and back") << "P10.jpg"
                              << "P2.jpg" << 1;
    QTest::newRow("case ignored first") << "img_9.jpg"
                                        << "IMG_10.jpg" << -1;
    QTest::newRow("leading zeros last") << "P02.jpg"
                                        << "P2.jpg" << 1;
    QTest::newRow("full-width digits") << "写真２.jpg"
                                       << "写真１０.jpg" << -1;
    QTest::newRow("second number decides") << "a1b2"
                                           << "a1b10" << -1;
    QTest::newRow("prefix first") << "x"
                                  << "x1" << -1;
    QTest::newRow("longer than 64 bits") << "99999999999999999999999"
                                         << "100000000000000000000000" << -1;
    QTest::newRow("same") << "a.jpg"
                          << "a.jpg" << 0;
    QTest::newRow("case decides last") << "A.jpg"
                                       << "a.jpg" << -1;
}

void TestBatchImport::naturalOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    QCOMPARE(qBound(-1, natural_compare(a, b), 1), sign);
    QCOMPARE(qBound(-1, natural_compare(b, a), 1), -sign);
}

void TestBatchImport::ordering_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("expected");
    const QStringList none { "", "", "" };
    QTest::newRow("by name") << QStringList { "P10.jpg", "P2.jpg", "p1.JPG" } << none
                             << int(ImportOrder::Name)
                             << QStringList { "p1.JPG", "P2.jpg", "P10.jpg" };
    QTest::newRow("by time, ties by name")
        << QStringList { "b.jpg", "a10.jpg", "a9.jpg", "c.jpg" }
        << QStringList { "2024-05-01T10:00:00", "2024-05-01T10:00:00", "2024-05-01T10:00:00",
               "2024-05-01T09:59:59" }
        << int(ImportOrder::Time) << QStringList { "c.jpg", "a9.jpg", "a10.jpg", "b.jpg" };
    QTest::newRow("time before name")
        << QStringList { "a.jpg", "b.jpg" }
        << QStringList { "2024-05-02T00:00:00", "2024-05-01T00:00:00" } << int(ImportOrder::Time)
        << QStringList { "b.jpg", "a.jpg" };
    QTest::newRow("given is never sorted")
        << QStringList { "P10.jpg", "P2.jpg", "p1.JPG" }
        << QStringList { "2024-01-03T00:00:00", "2024-01-02T00:00:00", "2024-01-01T00:00:00" }
        << int(ImportOrder::Given) << QStringList { "P10.jpg", "P2.jpg", "p1.JPG" };
}

void TestBatchImport::ordering()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, times);
    QFETCH(int, order);
    QFETCH(QStringList, expected);
    QList<ImportCandidate> candidates;
    for (qsizetype i = 0; i < names.size(); ++i)
        candidates << candidate(names.at(i), times.at(i));
    QStringList got;
    for (const ImportCandidate& c : ImportPlan::order(candidates, ImportOrder(order)))
        got << c.fileName();
    QCOMPARE(got, expected);
}

void TestBatchImport::exifTime_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("expected"); // "" for none
    QTest::newRow("big-endian JPEG") << exifJpeg("2023:07:14 08:30:05") << "2023-07-14T08:30:05";
    QTest::newRow("little-endian JPEG")
        << exifJpeg("2023:07:14 08:30:05", true) << "2023-07-14T08:30:05";
    QTest::newRow("behind JFIF segment") << withSegment(
        exifJpeg("2020:01:02 03:04:05"), 0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14))
                                         << "2020-01-02T03:04:05";
    QTest::newRow("TIFF file") << exifBody("2019:12:31 23:59:59", true) << "2019-12-31T23:59:59";
    QTest::newRow("no EXIF") << plainJpeg() << "";
    QTest::newRow("clock never set") << exifJpeg("0000:00:00 00:00:00") << "";
    QTest::newRow("offset past the end") << withSegment(plainJpeg(), 0xE1,
        QByteArray("Exif\0\0", 6) + exifBody("2023:07:14 08:30:05", false, 0xFFFFFFF0))
                                         << "";
    QTest::newRow("cut short") << exifJpeg("2023:07:14 08:30:05").left(40) << "";
}

void TestBatchImport::exifTime()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, expected);
    const QDateTime time = ExifDate::read(data);
    QCOMPARE(time.isValid() ? time.toString(Qt::ISODate) : QString(), expected);
}

void TestBatchImport::inspection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // "<dir>", "<fifo>", "<none>" for no file
    QTest::addColumn<bool>("placeable");
    QTest::addColumn<int>("source");
    const int none = int(TimeSource::None);
    QTest::newRow("camera photo") << "exif.jpg" << exifJpeg("2023:07:14 08:30:05") << true
                                  << int(TimeSource::Exif);
    QTest::newRow("no EXIF: file time")
        << "plain.jpg" << plainJpeg() << true << int(TimeSource::FileTime);
    // The size stands after 300 KiB of colour profile: more than the head read first.
    QByteArray profiled = plainJpeg();
    for (int k = 0; k < 5; ++k)
        profiled = withSegment(profiled, 0xE2, QByteArray(65000, 'p'));
    QTest::newRow("size after a long header")
        << "profiled.jpg" << profiled << true << int(TimeSource::FileTime);
    QTest::newRow("not a picture") << "text.jpg" << QByteArray("hello, world") << false << none;
    QTest::newRow("missing") << "gone.jpg" << QByteArray("<none>") << false << none;
    QTest::newRow("directory") << "folder.jpg" << QByteArray("<dir>") << false << none;
    QTest::newRow("FIFO, without blocking") << "pipe.jpg" << QByteArray("<fifo>") << false << none;
    QTest::newRow("path Shift-JIS cannot hold") << "写真🙂.jpg" << plainJpeg() << false << none;
}

void TestBatchImport::inspection()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, placeable);
    QFETCH(int, source);
    const QString path = dir.filePath(name);
    if (content == "<dir>")
        QVERIFY(QDir().mkpath(path));
    else if (content == "<fifo>")
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 || errno == EEXIST);
    else if (content != "<none>")
        QVERIFY(writeAll(path, content));
    // A known modification time, for the fallback.
    const QDateTime stamp(QDate(2021, 3, 4), QTime(5, 6, 7));
    if (content != "<none>" && content != "<fifo>") {
        struct utimbuf times
        {
            stamp.toSecsSinceEpoch(), stamp.toSecsSinceEpoch()
        };
        QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
    }

    const ImportCandidate c = ImportCandidate::inspect(path);
    QCOMPARE(c.placeable(), placeable);
    QCOMPARE(c.problem.isEmpty(), placeable);
    QCOMPARE(int(c.timeSource), source);
    if (c.timeSource == TimeSource::FileTime)
        QCOMPARE(c.time, stamp);
}

void TestBatchImport::placement_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QString>("photos");
    QTest::addColumn<QString>("after");
    const int insert = int(Placement::Insert);
    const int fill = int(Placement::Fill);
    QTest::newRow("insert moves later ones back") << "AB.C.." << 2 << insert << "12"
                                                  << "A12B.C";
    QTest::newRow("insert grows pages") << "ABC" << 1 << insert << "12"
                                        << "12ABC.";
    QTest::newRow("insert across several pages") << "AB." << 2 << insert << "12345"
                                                 << "A12345B..";
    QTest::newRow("insert behind the last photo") << "A.." << 2 << insert << "1"
                                                  << "A1.";
    QTest::newRow("insert after the end") << "AB." << 4 << insert << "1"
                                          << "AB.1..";
    QTest::newRow("fill skips photos, keeps titles") << "A.tB.." << 1 << fill << "123"
                                                     << "A12B3.";
    QTest::newRow("fill grows pages") << "ABC" << 2 << fill << "12"
                                      << "ABC12.";
    QTest::newRow("fill from the start position") << "..A" << 2 << fill << "12"
                                                  << ".1A2..";
}

void TestBatchImport::placement()
{
    QFETCH(QString, before);
    QFETCH(int, start);
    QFETCH(int, placement);
    QFETCH(QString, photos);
    QFETCH(QString, after);
    Album album;
    album.replace_document(albumOf(before), {});
    const QByteArray original = encode_document(album.document()).bytes;
    QStringList list;
    for (const QChar c : photos)
        list << QString(c);
    const ImportPlan plan = ImportPlan::make(album.entries(), start, Placement(placement), list);
    QVERIFY(plan.fits());
    QCOMPARE(plan.entryCountAfter, int(after.size()));

    QVERIFY(plan.apply(album, QStringLiteral("写真の一括取込")));
    QCOMPARE(layoutOf(album.entries()), after);
    for (qsizetype k = 0; k < list.size(); ++k)
        QCOMPARE(album.entries().entry(plan.positions.at(k)).image, list.at(k));
    if (before.contains(QLatin1Char('t')))
        QCOMPARE(album.entries().entry(int(before.indexOf(QLatin1Char('t'))) + 1).title,
            QStringLiteral("title"));

    // One step, undone to the byte.
    QCOMPARE(album.undoStack()->count(), 1);
    album.undoStack()->undo();
    QCOMPARE(encode_document(album.document()).bytes, original);
}

void TestBatchImport::sizeLimitRefusesWholeImport_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("room");
    // Full size; photos on all but the last six entries, every other one
    // of those empty for Fill.
    QTest::newRow("insert") << int(Placement::Insert) << 6;
    QTest::newRow("fill") << int(Placement::Fill) << 6;
}

void TestBatchImport::sizeLimitRefusesWholeImport()
{
    QFETCH(int, placement);
    QFETCH(int, room);
    QString layout(EntryTable::MaxEntries, QLatin1Char('X'));
    for (int k = 1; k <= 6; ++k)
        layout[EntryTable::MaxEntries - k] = QLatin1Char('.');
    Album album;
    album.replace_document(albumOf(layout), {});
    const QByteArray original = encode_document(album.document()).bytes;

    QStringList photos;
    for (int k = 0; k <= room; ++k)
        photos << QStringLiteral("p%1").arg(k);
    ImportPlan plan = ImportPlan::make(album.entries(), 1, Placement(placement), photos);
    QCOMPARE(plan.room, room);
    QVERIFY(!plan.fits());
    QVERIFY(!plan.apply(album, QStringLiteral("写真の一括取込")));
    QCOMPARE(album.undoStack()->count(), 0);
    QCOMPARE(encode_document(album.document()).bytes, original);

    photos.removeLast();
    plan = ImportPlan::make(album.entries(), 1, Placement(placement), photos);
    QVERIFY(plan.fits());
    QVERIFY(plan.apply(album, QStringLiteral("写真の一括取込")));
    QCOMPARE(album.entries().entry_count(), EntryTable::MaxEntries);
    QVERIFY(!album.entries().entry(EntryTable::MaxEntries).image.isEmpty());
}

void TestBatchImport::relink_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>(
        "expected"); // found:<path under the folder>, ambiguous, missing, kept
    QTest::newRow("Windows path, extension case") << "C:\\写真\\P001.jpg"
                                                  << "found:a/P001.JPG";
    QTest::newRow("other folder, deeper") << "/old/site/P002.JPG"
                                          << "found:b/deep/P002.jpg";
    QTest::newRow("two candidates") << "/old/P003.jpg"
                                    << "ambiguous";
    QTest::newRow("nowhere") << "/old/P004.jpg"
                             << "missing";
    QTest::newRow("name case matters") << "/old/p001.jpg"
                                       << "missing";
    QTest::newRow("present where it is") << "<present>"
                                         << "kept";
}

void TestBatchImport::relink()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);
    const QString root = dir.filePath(QStringLiteral("relink"));
    for (const char* file : { "a/P001.JPG", "b/deep/P002.jpg", "b/P003.jpg", "c/P003.JPG" }) {
        const QString path = root + QLatin1Char('/') + QLatin1String(file);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(writeAll(path, plainJpeg()));
    }
    if (stored == QLatin1String("<present>"))
        stored = root + QStringLiteral("/b/P003.jpg");

    Document d;
    d.entries.append_entry(number_text(1), QStringLiteral("t"), {}, stored);
    d.entries.append_entry(number_text(2), {}, {}, {});
    d.entries.append_entry(number_text(3), {}, {}, {});
    const RelinkResult result = RelinkResult::find(d.entries, root);
    QString got = QStringLiteral("kept");
    if (result.found.contains(1))
        got = QStringLiteral("found:") + QDir(root).relativeFilePath(result.found.value(1));
    else if (result.ambiguous.contains(1))
        got = QStringLiteral("ambiguous");
    else if (result.missing.contains(1))
        got = QStringLiteral("missing");
    QCOMPARE(got, expected);
    // Empty entries are never looked for.
    QCOMPARE(result.found.size() + result.ambiguous.size() + result.missing.size(),
        got == QLatin1String("kept") ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestBatchImport)
#include "tst_batchimport.moc"
