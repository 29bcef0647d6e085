#include "photos/photoloader.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

#include "testbytes.h"

using namespace zk;

namespace {

// Left half red, right half blue: a picture squeezed, shifted or mirrored on
// the way shows the wrong colour at one of the two probes.
QImage twoColours(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    return image;
}

QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format, qPrintable(writer.errorString()));
    return data;
}

// A JPEG full of noise, so that cutting it leaves plenty of image data.
QByteArray noisyJpeg(bool progressive)
{
    QImage image(300, 200, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525 + 1013904223;
            image.setPixel(x, y, seed >> 8);
        }
    return encode(image, "jpeg", progressive);
}

// Qt writes no GIF: a 2 x 1 one, red and blue, coded by hand (LZW codes
// clear, 0, 1, end in 3 bits each).
QByteArray gif()
{
    return "GIF89a"
        + QByteArray::fromHex("02000100800000ff00000000ff2c0000000002000100000202440a003b");
}

// A placeable metafile of a 100 x 50 unit window around records, whose
// header names maxRecord (in words) as its largest record. The file's size
// (in words) counts the 18-byte header, the two window records, the records
// and the closing record.
QByteArray placeable(const QByteArray& records, quint32 maxRecord)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint16 header[10] = { 0xCDD7, 0x9AC6, 0, 0, 0, 100, 50, 96, 0, 0 };
    quint16 checksum = 0;
    for (quint16 word : header) {
        out << word;
        checksum ^= word;
    }
    out << checksum << quint16(1) << quint16(9) << quint16(0x0300)
        << quint32((18 + 20 + records.size() + 6) / 2) << quint16(2) << maxRecord << quint16(0);
    out << quint32(5) << quint16(0x020B) << qint16(0) << qint16(0); // SETWINDOWORG
    out << quint32(5) << quint16(0x020C) << qint16(50) << qint16(100); // SETWINDOWEXT
    data += records;
    return data + QByteArray::fromHex("030000000000"); // EOF
}

// A placeable metafile drawing a red rectangle over the left half of a
// 100 x 50 unit window and a blue one over the right half.
QByteArray wmf()
{
    QByteArray records;
    QDataStream out(&records, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(8) << quint16(0x02FA) << quint16(5) << quint16(0) << quint16(0) << quint32(0);
    out << quint32(4) << quint16(0x012D) << quint16(0); // select the null pen
    const quint32 colours[2] = { 0x0000FF, 0xFF0000 }; // COLORREF: red, blue
    for (int half = 0; half < 2; ++half) {
        out << quint32(7) << quint16(0x02FC) << quint16(0) << colours[half] << quint16(0);
        out << quint32(4) << quint16(0x012D) << quint16(1);
        out << quint32(7) << quint16(0x041B) << qint16(50) << qint16(50 + 50 * half) << qint16(0)
            << qint16(50 * half); // RECTANGLE bottom, right, top, left
        out << quint32(4) << quint16(0x01F0) << quint16(1); // DELETEOBJECT
    }
    return placeable(records, 8);
}

// Fills a rectangle with a pattern brush whose bitmap is width pixels wide:
// 0 makes libwmf divide by zero (SIGFPE).
QByteArray patternBrushWmf(qint32 width)
{
    QByteArray records;
    QDataStream out(&records, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // DIBCREATEPATTERNBRUSH: style, colour use, a 24-bit BITMAPINFOHEADER, 8 rows of bits
    out << quint32(3 + 2 + 20 + 16) << quint16(0x0142) << quint16(5) << quint16(0);
    out << quint32(40) << width << qint32(8) << quint16(1) << quint16(24) << quint32(0)
        << quint32(0) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
    for (int i = 0; i < 8; ++i)
        out << quint32(0);
    out << quint32(4) << quint16(0x012D) << quint16(0); // SELECTOBJECT
    out << quint32(7) << quint16(0x041B) << qint16(50) << qint16(100) << qint16(0) << qint16(0);
    return placeable(records, 41);
}

// A header that claims a record of 4 GB, which libwmf allocates up front:
// only a memory limit on the helper stops it.
QByteArray hugeRecordWmf()
{
    return placeable({}, 0x7FFFFFFF);
}

// A pie drawn with a pen 30000 units wide: libwmf's gd device takes minutes
// over it at print size.
QByteArray widePenPieWmf()
{
    QByteArray records;
    QDataStream out(&records, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(8) << quint16(0x02FA) << quint16(0) << qint16(30000) << qint16(0)
        << quint32(0); // CREATEPENINDIRECT
    out << quint32(4) << quint16(0x012D) << quint16(0); // SELECTOBJECT
    out << quint32(11) << quint16(0x081A) << qint16(0) << qint16(0) << qint16(100) << qint16(0)
        << qint16(50) << qint16(100) << qint16(0) << qint16(0); // PIE
    return placeable(records, 11);
}

// A PNG header of width x height at the given bit depth (grey) and the
// first bytes of its image: what the reader learns before it decodes.
QByteArray pngHeader(quint32 width, quint32 height, quint8 depth)
{
    QByteArray ihdr("IHDR");
    QDataStream fields(&ihdr, QIODevice::Append);
    fields << width << height << depth << quint8(0) << quint8(0) << quint8(0) << quint8(0);
    QByteArray png;
    QDataStream out(&png, QIODevice::WriteOnly);
    out.writeRawData("\x89PNG\r\n\x1a\n", 8);
    out << quint32(13);
    out.writeRawData(ihdr.constData(), int(ihdr.size()));
    out << crc32(ihdr) << quint32(2);
    out.writeRawData("IDAT\x78\x9c", 6); // the start of a zlib stream, and no more
    out << crc32("IDAT\x78\x9c") << quint32(0);
    out.writeRawData("IEND", 4);
    out << crc32("IEND");
    return png;
}

// An APP1 segment with an EXIF orientation tag, put right after SOI.
QByteArray withOrientation(const QByteArray& jpeg, int orientation)
{
    QByteArray segment;
    QDataStream out(&segment, QIODevice::WriteOnly);
    out << quint8(0xFF) << quint8(0xE1) << quint16(34);
    out.writeRawData("Exif\0\0", 6);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("II", 2);
    out << quint16(42) << quint32(8) << quint16(1) << quint16(0x0112) << quint16(3) << quint32(1)
        << quint16(orientation) << quint16(0) << quint32(0);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

bool near(QRgb pixel, QColor colour)
{
    return qAbs(qRed(pixel) - colour.red()) < 60 && qAbs(qGreen(pixel) - colour.green()) < 60
        && qAbs(qBlue(pixel) - colour.blue()) < 60;
}

} // namespace

class TestPhotoLoader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString write(const QString& name, const QByteArray& data)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    }

private Q_SLOTS:
    // Each format decodes at exactly the size asked (neither the file's size
    // nor its aspect ratio), the right way round.
    void loadsEachFormat_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QImage image = twoColours(QSize(64, 48));
        QTest::newRow("bmp") << encode(image, "bmp");
        QTest::newRow("gif") << gif();
        QTest::newRow("ico") << encode(image, "ico");
        QTest::newRow("jpeg") << encode(image, "jpeg");
        QTest::newRow("png") << encode(image, "png");
        QTest::newRow("wmf") << wmf();
    }

    void loadsEachFormat()
    {
        QFETCH(QByteArray, data);
        PhotoLoader loader;
        const QSize size(37, 23);
        const Picture picture = loader.load(write(QTest::currentDataTag(), data), size);
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), size);
        QVERIFY(near(picture.image.pixel(4, 11), Qt::red));
        QVERIFY(near(picture.image.pixel(32, 11), Qt::blue));
    }

    // A 48-megapixel BMP (8000 x 6000, 24 bits) decodes although it needs
    // more than Qt's default allocation limit of 128 MB; a metafile whose
    // pattern brush has a width draws.
    void decodesWithinTheLimits_data()
    {
        QTest::addColumn<QString>("path");
        QFile bmp(dir.filePath("48mp.bmp"));
        QVERIFY(bmp.open(QIODevice::WriteOnly));
        QDataStream out(&bmp);
        out.setByteOrder(QDataStream::LittleEndian);
        const quint32 pixels = 8000 * 3 * 6000;
        out << quint8('B') << quint8('M') << quint32(54 + pixels) << quint32(0) << quint32(54)
            << quint32(40) << qint32(8000) << qint32(6000) << quint16(1) << quint16(24)
            << quint32(0) << pixels << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
        QVERIFY(bmp.resize(54 + pixels)); // black, without writing 144 MB
        QTest::newRow("48-megapixel bmp") << bmp.fileName();
        QTest::newRow("wmf with a pattern brush") << write("brush.wmf", patternBrushWmf(4));
    }

    void decodesWithinTheLimits()
    {
        QFETCH(QString, path);
        PhotoLoader loader;
        const Picture picture = loader.load(path, QSize(514, 338));
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), QSize(514, 338));
    }

    // A landscape photo with orientation 6 comes out upright: its top-left
    // corner (marked red) at the top right. Also when the slot is just past
    // what a 1/8 JPEG decode gives (50 x 38), which is decoded at 1/8 and enlarged.
    void turnsUprightAsExifSays_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("portrait slot") << QSize(60, 80);
        QTest::newRow("just past 1/8 scale") << QSize(39, 51);
    }

    void turnsUprightAsExifSays()
    {
        QFETCH(QSize, size);
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::green);
        QPainter(&image).fillRect(0, 0, 100, 100, Qt::red);
        PhotoLoader loader;
        const Picture picture
            = loader.load(write("o6.jpg", withOrientation(encode(image, "jpeg"), 6)), size);
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), size);
        QVERIFY(near(picture.image.pixel(size.width() - 3, 2), Qt::red));
        QVERIFY(near(picture.image.pixel(2, 2), Qt::green));
    }

    // Bad files fail with a reason, never a hang, a crash or a half picture:
    // a FIFO or device is not opened (it would block or never end), forged
    // headers are refused before a decoder allocates for them.
    void failsCleanly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason"); // a part of the message

        QTest::newRow("missing") << dir.filePath("none.jpg") << "見つかりません";
        QTest::newRow("text named jpg")
            << write("notes.jpg", "This is a text file, not a photo.\n") << "読めない形式";
        QTest::newRow("directory") << dir.path() << "フォルダー";
        const QString fifo = dir.filePath("fifo.jpg");
        if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
            qFatal("mkfifo failed");
        QTest::newRow("fifo") << fifo << "通常のファイルではない";
        QTest::newRow("device") << "/dev/zero"
                                << "通常のファイルではない";
        const QByteArray jpeg = noisyJpeg(false);
        QTest::newRow("truncated jpeg")
            << write("cut.jpg", jpeg.left(jpeg.size() * 2 / 3)) << "途中で切れて";
        QTest::newRow("truncated wmf") << write("cut.wmf", wmf().left(40)) << "WMF";
        QTest::newRow("wmf that crashes libwmf")
            << write("zero-brush.wmf", patternBrushWmf(0)) << "WMF ファイルが壊れている";
        QTest::newRow("wmf asking for 4 GB")
            << write("huge-record.wmf", hugeRecordWmf()) << "メモリーが足りない";
        // Too large, not broken: refused by their headers before any decode.
        QTest::newRow("1-bit png of 30000 x 30000")
            << write("huge1bit.png", pngHeader(30000, 30000, 1)) << "画素数";
        QTest::newRow("gif with a 65535 x 65535 screen") << write("screen.gif",
            "GIF89a"
                + QByteArray::fromHex("ffffffff800000ff00000000ff2c0000000002000100000202440a003b"))
                                                         << "画素数";

        QFile big(dir.filePath("big.jpg"));
        if (!big.open(QIODevice::WriteOnly) || !big.resize(257 * 1024 * 1024))
            qFatal("cannot make a sparse file");
        QTest::newRow("file over 256 MiB") << big.fileName() << "256 MiB";
        // 30000 x 30000: libjpeg would keep gigabytes of coefficients.
        QByteArray huge = noisyJpeg(true);
        const qsizetype sof = huge.indexOf("\xFF\xC2");
        qToBigEndian<quint16>(30000, huge.data() + sof + 5);
        qToBigEndian<quint16>(30000, huge.data() + sof + 7);
        QTest::newRow("huge progressive jpeg") << write("huge.jpg", huge) << "画素数";
    }

    // A metafile that keeps the helper busy beyond its time limit fails that
    // picture, named as too slow.
    void slowMetafileIsStopped()
    {
        PhotoLoader loader;
        const Picture picture
            = loader.load(write("wide-pen.wmf", widePenPieWmf()), QSize(1417, 1028));
        QVERIFY(picture.image.isNull());
        QVERIFY2(picture.error.contains(QStringLiteral("時間がかかりすぎる")),
            qPrintable(picture.error));
    }

    void failsCleanly()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        PhotoLoader loader;
        const Picture picture = loader.load(path, QSize(514, 338));
        QVERIFY(picture.image.isNull());
        QVERIFY2(!picture.ok() && picture.error.contains(reason), qPrintable(picture.error));
    }

    // A second load of the same file at the same size decodes nothing; another
    // size, or another picture written under the same name, is decoded anew;
    // a failure is not kept; the cache keeps no more bytes than its bound,
    // dropping the oldest.
    void cache()
    {
        const QByteArray png = encode(twoColours(QSize(64, 48)), "png");
        const QString path = write("cached.png", png);
        PhotoLoader loader;
        const Picture first = loader.load(path, QSize(30, 20));
        QVERIFY(first.ok());
        QCOMPARE(loader.load(path, QSize(30, 20)).image, first.image);
        QCOMPARE(loader.decodeCount(), 1);
        QCOMPARE(loader.load(path, QSize(60, 40)).image.size(), QSize(60, 40));
        QCOMPARE(loader.decodeCount(), 2);
        QImage green(64, 48, QImage::Format_RGB32);
        green.fill(Qt::green);
        write("cached.png", encode(green, "bmp"));
        QVERIFY(near(loader.load(path, QSize(30, 20)).image.pixel(2, 2), Qt::green));
        QCOMPARE(loader.decodeCount(), 3);
        // A failure is not kept: a photo copied in later shows.
        const QString later = dir.filePath(QStringLiteral("later.png"));
        QVERIFY(!loader.load(later, QSize(30, 20)).ok());
        write("later.png", png);
        QVERIFY(loader.load(later, QSize(30, 20)).ok());

        const qint64 onePicture = 100 * 100 * 4;
        PhotoLoader bounded(onePicture * 5 / 2);
        QStringList paths;
        for (int i = 0; i < 3; ++i) {
            paths << write(QStringLiteral("bound%1.png").arg(i), png);
            QVERIFY(bounded.load(paths.last(), QSize(100, 100)).ok());
        }
        QCOMPARE(bounded.cachedBytes(), 2 * onePicture);
        QVERIFY(bounded.load(paths[2], QSize(100, 100)).ok());
        QCOMPARE(bounded.decodeCount(), 3);
        QVERIFY(bounded.load(paths[0], QSize(100, 100)).ok());
        QCOMPARE(bounded.decodeCount(), 4);
    }
};

QTEST_GUILESS_MAIN(TestPhotoLoader)
#include "tst_photoloader.moc"
