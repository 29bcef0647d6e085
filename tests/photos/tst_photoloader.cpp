#include "photos/photoloader.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using namespace zk;

namespace {

// Left half red, right half blue: a picture squeezed, shifted or mirrored on
// the way shows the wrong colour at one of the two probes.
QImage twoColours(const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
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
QByteArray noisyJpeg(const QSize& size, bool progressive = false)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525 + 1013904223;
            image.setPixel(x, y, seed >> 8);
        }
    return encode(image, "jpeg", progressive);
}

// Qt writes no GIF: an uncompressed one with a 128-colour table, where every
// code is 8 bits and a clear code comes before the table would grow.
QByteArray gif(int width, int height, bool withPixels = true)
{
    QByteArray data("GIF89a");
    QDataStream out(&data, QIODevice::Append);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(width) << quint16(height) << quint8(0xF6) << quint8(0) << quint8(0);
    for (int i = 0; i < 128; ++i)
        out << quint8(i == 1 ? 255 : 0) << quint8(0) << quint8(i == 2 ? 255 : 0);
    out << quint8(0x2C) << quint16(0) << quint16(0) << quint16(width) << quint16(height)
        << quint8(0) << quint8(7);
    QByteArray codes;
    for (int i = 0; withPixels && i < width * height; ++i) {
        if (i % 100 == 0)
            codes.append(char(128));
        codes.append(char(i % width < width / 2 ? 1 : 2));
    }
    codes.append(char(128)).append(char(129));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out << quint8(block.size());
        out.writeRawData(block.constData(), int(block.size()));
    }
    out << quint8(0) << quint8(0x3B);
    return data;
}

// A metafile drawing a red rectangle over the left half of a 100 x 50 unit
// window and a blue one over the right half, optionally behind a placeable header.
QByteArray wmf(bool placeable)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    if (placeable) {
        const quint16 header[10] = { 0xCDD7, 0x9AC6, 0, 0, 0, 100, 50, 96, 0, 0 };
        quint16 checksum = 0;
        for (quint16 word : header) {
            out << word;
            checksum ^= word;
        }
        out << checksum;
    }
    const qsizetype start = data.size();
    out << quint16(1) << quint16(9) << quint16(0x0300) << quint32(0) << quint16(2) << quint32(8)
        << quint16(0);
    out << quint32(5) << quint16(0x020B) << qint16(0) << qint16(0); // SETWINDOWORG
    out << quint32(5) << quint16(0x020C) << qint16(50) << qint16(100); // SETWINDOWEXT
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
    out << quint32(3) << quint16(0); // EOF
    const quint32 words = quint32(data.size() - start) / 2;
    data.replace(start + 6, 4, QByteArray(reinterpret_cast<const char*>(&words), 4));
    return data;
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
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(data) != data.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void loadsEveryFormatAtTheSizeAsked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data");
        const QImage image = twoColours(QSize(64, 48));
        QTest::newRow("bmp") << "a.bmp" << encode(image, "bmp");
        QTest::newRow("jpeg") << "a.jpg" << encode(image, "jpeg");
        QTest::newRow("progressive jpeg") << "p.jpg" << encode(image, "jpeg", true);
        QTest::newRow("jpeg with data after EOI")
            << "trailer.jpg" << encode(image, "jpeg") + QByteArray(5000, 'x');
        QTest::newRow("png") << "a.png" << encode(image, "png");
        QTest::newRow("ico") << "a.ico" << encode(image, "ico");
        QTest::newRow("gif") << "a.gif" << gif(64, 48);
        QTest::newRow("tiff") << "a.tif" << encode(image, "tiff");
        QTest::newRow("webp") << "a.webp" << encode(image, "webp");
        QTest::newRow("placeable wmf") << "a.wmf" << wmf(true);
        QTest::newRow("plain wmf") << "plain.wmf" << wmf(false);
        QTest::newRow("wmf named jpg") << "drawing.jpg" << wmf(true);
        QTest::newRow("png named bmp") << "really-png.bmp" << encode(image, "png");
    }

    void loadsEveryFormatAtTheSizeAsked()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        PhotoLoader loader;
        const QSize size(37, 23); // neither the file's size nor its aspect ratio
        const Picture picture = loader.load(write(name, data), size);
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), size);
        QVERIFY(near(picture.image.pixel(4, 11), Qt::red));
        QVERIFY(near(picture.image.pixel(32, 11), Qt::blue));
    }

    void emptyPathGivesEmptyPicture()
    {
        PhotoLoader loader;
        const Picture picture = loader.load(QString(), QSize(10, 10));
        QVERIFY(picture.ok());
        QVERIFY(picture.image.isNull());
    }

    void turnsUprightAsExifSays_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("marked"); // where the file's top-left corner ends up
        QTest::newRow("1 as stored") << 1 << QSize(80, 60) << QPoint(0, 0);
        QTest::newRow("3 upside down") << 3 << QSize(80, 60) << QPoint(1, 1);
        QTest::newRow("6 turned right") << 6 << QSize(60, 80) << QPoint(1, 0);
        QTest::newRow("8 turned left") << 8 << QSize(60, 80) << QPoint(0, 1);
        QTest::newRow("6 at a landscape slot") << 6 << QSize(90, 50) << QPoint(1, 0);
        // Just past what a 1/8 decode (50 x 38) gives: decoded at 1/8, then enlarged.
        QTest::newRow("1 just past 1/8 scale") << 1 << QSize(51, 39) << QPoint(0, 0);
        QTest::newRow("6 just past 1/8 scale") << 6 << QSize(39, 51) << QPoint(1, 0);
    }

    void turnsUprightAsExifSays()
    {
        QFETCH(int, orientation);
        QFETCH(QSize, size);
        QFETCH(QPoint, marked);
        // A landscape photo, green but for a red block in its top-left corner.
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::green);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                image.setPixel(x, y, qRgb(255, 0, 0));
        const QString path = write(QStringLiteral("o%1.jpg").arg(orientation),
            withOrientation(encode(image, "jpeg"), orientation));

        PhotoLoader loader;
        const Picture picture = loader.load(path, size);
        QVERIFY2(picture.ok(), qPrintable(picture.error));
        QCOMPARE(picture.image.size(), size);
        const int right = size.width() - 3;
        const int bottom = size.height() - 3;
        for (const QPoint corner : { QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1) }) {
            const QRgb pixel = picture.image.pixel(corner.x() ? right : 2, corner.y() ? bottom : 2);
            QVERIFY2(near(pixel, corner == marked ? Qt::red : Qt::green),
                qPrintable(QStringLiteral("corner %1,%2").arg(corner.x()).arg(corner.y())));
        }
    }

    void failsCleanly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("reason"); // a part of the message

        const QSize slot(514, 338);
        QTest::newRow("missing") << dir.filePath("none.jpg") << slot << "見つかりません";
        QTest::newRow("directory") << dir.path() << slot << "フォルダー";
        const QString fifo = dir.filePath("fifo.jpg");
        if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) != 0)
            qFatal("mkfifo failed");
        QTest::newRow("fifo") << fifo << slot << "通常のファイルではない";
        QTest::newRow("device") << "/dev/zero" << slot << "通常のファイルではない";
        QTest::newRow("empty") << write("empty.jpg", {}) << slot << "空";
        QTest::newRow("text named jpg")
            << write("notes.jpg", "This is a text file, not a photo.\n") << slot << "読めない形式";

        const QString big = dir.filePath("big.jpg");
        QFile bigFile(big);
        if (!bigFile.open(QIODevice::WriteOnly) || !bigFile.resize(257 * 1024 * 1024))
            qFatal("cannot make a sparse file");
        QTest::newRow("over 256 MiB") << big << slot << "256 MiB";

        const QByteArray jpeg = noisyJpeg(QSize(300, 200));
        QTest::newRow("truncated jpeg")
            << write("cut.jpg", jpeg.left(jpeg.size() * 2 / 3)) << slot << "途中で切れて";
        QTest::newRow("jpeg without EOI")
            << write("noeoi.jpg", jpeg.left(jpeg.size() - 2)) << slot << "途中で切れて";
        const QByteArray progressive = noisyJpeg(QSize(300, 200), true);
        QTest::newRow("truncated progressive jpeg")
            << write("cutp.jpg", progressive.left(progressive.size() / 2)) << slot
            << "途中で切れて";
        const QByteArray bmp = encode(twoColours(QSize(64, 48)), "bmp");
        QTest::newRow("truncated bmp")
            << write("cut.bmp", bmp.left(bmp.size() - 100)) << slot << "途中で切れて";
        const QByteArray gifData = gif(64, 48);
        QTest::newRow("truncated gif")
            << write("cut.gif", gifData.left(gifData.size() / 2)) << slot << "途中で切れて";
        const QByteArray png = encode(twoColours(QSize(64, 48)), "png");
        QTest::newRow("truncated png")
            << write("cut.png", png.left(png.size() / 2)) << slot << "壊れて";
        const QByteArray metafile = wmf(true);
        QTest::newRow("truncated wmf") << write("cut.wmf", metafile.left(40)) << slot << "WMF";
        QByteArray garbage = jpeg;
        for (qsizetype i = 600; i < garbage.size() - 2; i += 7)
            garbage[i] = char(0xFF); // markers everywhere in the scan data
        QTest::newRow("corrupt jpeg") << write("garbage.jpg", garbage) << slot << "";

        // Headers that promise more pixels than any photo has: refused before
        // a decoder allocates or spends seconds on them.
        QTest::newRow("huge gif") << write("huge.gif", gif(65535, 65535, false)) << slot
                                  << "画素数";
        QByteArray hugeBmp = bmp;
        qToLittleEndian<qint32>(16000, hugeBmp.data() + 18);
        qToLittleEndian<qint32>(16000, hugeBmp.data() + 22);
        QTest::newRow("huge bmp") << write("huge.bmp", hugeBmp) << slot << "画素数";
        QByteArray hugeJpeg = progressive;
        const qsizetype sof = hugeJpeg.indexOf("\xFF\xC2");
        qToBigEndian<quint16>(30000, hugeJpeg.data() + sof + 5);
        qToBigEndian<quint16>(30000, hugeJpeg.data() + sof + 7);
        QTest::newRow("huge progressive jpeg") << write("huge.jpg", hugeJpeg) << slot << "画素数";

        const QString good = write("good.png", png);
        QTest::newRow("empty size") << good << QSize(0, 10) << "大きさ";
        QTest::newRow("size past the allocation limit") << good << QSize(30000, 30000) << "大きさ";
    }

    void failsCleanly()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(QString, reason);
        PhotoLoader loader;
        const Picture picture = loader.load(path, size);
        QVERIFY(!picture.ok());
        QVERIFY(picture.image.isNull());
        QVERIFY2(picture.error.contains(reason), qPrintable(picture.error));
        QVERIFY(picture.error.endsWith(QLatin1Char('.')));
    }

    void cacheServesRepeatLoads()
    {
        const QString path = write("cached.png", encode(twoColours(QSize(64, 48)), "png"));
        PhotoLoader loader;
        const Picture first = loader.load(path, QSize(30, 20));
        QVERIFY(first.ok());
        QCOMPARE(loader.decodeCount(), 1);
        QCOMPARE(loader.load(path, QSize(30, 20)).image, first.image);
        QCOMPARE(loader.decodeCount(), 1);
        QCOMPARE(loader.cachedBytes(), first.image.sizeInBytes());
        QCOMPARE(loader.load(path, QSize(60, 40)).image.size(), QSize(60, 40));
        QCOMPARE(loader.decodeCount(), 2);
    }

    void cacheNoticesChangedFile()
    {
        const QString path = write("changing.png", encode(twoColours(QSize(64, 48)), "png"));
        PhotoLoader loader;
        QVERIFY(loader.load(path, QSize(30, 20)).ok());

        // Same bytes, new modification time.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(
            QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(loader.load(path, QSize(30, 20)).ok());
        QCOMPARE(loader.decodeCount(), 2);

        // Another picture under the same name.
        QImage green(64, 48, QImage::Format_RGB32);
        green.fill(Qt::green);
        write("changing.png", encode(green, "bmp"));
        const Picture changed = loader.load(path, QSize(30, 20));
        QCOMPARE(loader.decodeCount(), 3);
        QVERIFY(near(changed.image.pixel(2, 2), Qt::green));
    }

    void cacheKeepsNoFailures()
    {
        PhotoLoader loader;
        const QString path = dir.filePath("later.png");
        QVERIFY(!loader.load(path, QSize(30, 20)).ok());
        write("later.png", encode(twoColours(QSize(64, 48)), "png"));
        QVERIFY(loader.load(path, QSize(30, 20)).ok());
    }

    void cacheDropsLeastRecentlyUsedBeyondItsBound()
    {
        const QSize size(100, 100);
        const qint64 onePicture = qint64(size.width()) * size.height() * 4;
        PhotoLoader loader(onePicture * 5 / 2); // room for two
        QStringList paths;
        for (int i = 0; i < 3; ++i)
            paths << write(
                QStringLiteral("lru%1.png").arg(i), encode(twoColours(QSize(64, 48)), "png"));
        QVERIFY(loader.load(paths[0], size).ok());
        QVERIFY(loader.load(paths[1], size).ok());
        QVERIFY(loader.load(paths[0], size).ok()); // 0 is now the more recent
        QVERIFY(loader.load(paths[2], size).ok()); // drops 1
        QCOMPARE(loader.decodeCount(), 3);
        QCOMPARE(loader.cachedBytes(), 2 * onePicture);
        QVERIFY(loader.load(paths[0], size).ok());
        QVERIFY(loader.load(paths[2], size).ok());
        QCOMPARE(loader.decodeCount(), 3);
        QVERIFY(loader.load(paths[1], size).ok());
        QCOMPARE(loader.decodeCount(), 4);
    }

    void zeroBoundCachesNothing()
    {
        const QString path = write("print.png", encode(twoColours(QSize(64, 48)), "png"));
        PhotoLoader loader(0);
        QVERIFY(loader.load(path, QSize(30, 20)).ok());
        QVERIFY(loader.load(path, QSize(30, 20)).ok());
        QCOMPARE(loader.decodeCount(), 2);
        QCOMPARE(loader.cachedBytes(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPhotoLoader)
#include "tst_photoloader.moc"
