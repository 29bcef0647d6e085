#include "photos/photoloader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "testbytes.h"

using namespace zk;

namespace {

QByteArray pngChunk(const char* type, const QByteArray& data)
{
    const QByteArray typed = QByteArray(type) + data;
    return be32(quint32(data.size())) + typed + be32(crc32(typed));
}

// A 1-bit picture with a coloured palette: left half index 0, right half
// index 1 (or index 0 throughout with a one-entry palette).
QByteArray oneBit(const char* format, const QList<QRgb>& palette)
{
    QImage image(200, 150, QImage::Format_Mono);
    image.setColorTable(palette);
    image.fill(0);
    if (palette.size() > 1)
        for (int y = 0; y < image.height(); ++y)
            for (int x = image.width() / 2; x < image.width(); ++x)
                image.setPixel(x, y, 1);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot write a 1-bit %s", format);
    return data;
}

// A 16 x 16 RGB PNG at 16 bits a channel: the left half in the transparent
// colour of its tRNS chunk, the right half a colour one step off in blue.
QByteArray png16(const QByteArray& trns)
{
    const QByteArray header = be32(16) + be32(16) + QByteArray("\x10\x02\x00\x00\x00", 5);
    QByteArray raw;
    for (int y = 0; y < 16; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < 16; ++x)
            raw += x < 8 ? be16(0xFFFF) + be16(0x8000) + be16(0x1234)
                         : be16(0x0000) + be16(0x8000) + be16(0x1235);
    }
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("tRNS", trns)
        + pngChunk("IDAT", qCompress(raw).mid(4)) + pngChunk("IEND", {});
}

// A 16 x 16 BMP of 32-bit pixels with 11-11-10 bit fields: left half red,
// right half green with a little blue (300 of 1023).
QByteArray bitFieldsBmp(quint32 red, quint32 green, quint32 blue)
{
    QByteArray pixels;
    for (int y = 15; y >= 0; --y)
        for (int x = 0; x < 16; ++x)
            pixels += le32(x < 8 ? 0xFFE00000u : (0x7FFu << 10) | 300u);
    const QByteArray info = le32(40) + le32(16) + le32(16) + le16(1) + le16(32) + le32(3)
        + le32(quint32(pixels.size())) + le32(2835) + le32(2835) + le32(0) + le32(0);
    const quint32 offset = 14 + 40 + 12;
    return "BM" + le32(offset + quint32(pixels.size())) + le32(0) + le32(offset) + info + le32(red)
        + le32(green) + le32(blue) + pixels;
}

// An OS/2 1.x BMP, 8 bits a pixel, whose palette has only three entries
// (red, green, blue): thirds of each row use indices 0, 1 and 2.
QByteArray os2Bmp(int paletteEntries)
{
    const QByteArray palette
        = QByteArray("\x00\x00\xff\x00\xff\x00\xff\x00\x00", 9).left(3 * paletteEntries);
    QByteArray pixels;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x)
            pixels += char(x / 16);
    const quint32 offset = 14 + 12 + quint32(palette.size());
    return "BM" + le32(offset + quint32(pixels.size())) + le32(0) + le32(offset) + le32(12)
        + le16(48) + le16(48) + le16(1) + le16(8) + palette + pixels;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 8 && qAbs(qGreen(a) - qGreen(b)) <= 8
        && qAbs(qBlue(a) - qBlue(b)) <= 8 && qAbs(qAlpha(a) - qAlpha(b)) <= 8;
}

} // namespace

class TestReaderWorkarounds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picturesAreRightOrRefused_data();
    void picturesAreRightOrRefused();

private:
    QTemporaryDir dir;
};

void TestReaderWorkarounds::picturesAreRightOrRefused_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QSize>("size");
    // Probes a quarter in from the left and right edges; no probes: refused.
    QTest::addColumn<QList<QRgb>>("probes");

    const QRgb blue = qRgb(0, 0, 255);
    const QRgb yellow = qRgb(255, 255, 0);
    QTest::newRow("1-bit colour PNG, shrunk")
        << oneBit("png", { blue, yellow }) << QSize(40, 30) << QList<QRgb> { blue, yellow };
    QTest::newRow("1-bit colour BMP, shrunk")
        << oneBit("bmp", { blue, yellow }) << QSize(40, 30) << QList<QRgb> { blue, yellow };
    QTest::newRow("1-bit one-colour PNG")
        << oneBit("png", { blue }) << QSize(40, 30) << QList<QRgb> { blue, blue };
    QTest::newRow("1-bit colour PNG, enlarged")
        << oneBit("png", { blue, yellow }) << QSize(400, 300) << QList<QRgb> { blue, yellow };
    QTest::newRow("16-bit PNG with transparent colour")
        << png16(be16(0xFFFF) + be16(0x8000) + be16(0x1234)) << QSize(16, 16)
        << QList<QRgb> { qRgba(0, 0, 0, 0), qRgb(0, 128, 18) };
    QTest::newRow("16-bit PNG, tRNS of the wrong length")
        << png16(be16(0xFFFF)) << QSize(16, 16) << QList<QRgb> {};
    QTest::newRow("BMP with 11-11-10 bit fields") << bitFieldsBmp(0xFFE00000u, 0x001FFC00u,
        0x000003FFu) << QSize(16, 16) << QList<QRgb> { qRgb(255, 0, 0), qRgb(0, 255, 74) };
    QTest::newRow("BMP with overlapping bit fields")
        << bitFieldsBmp(0xFFE00000u, 0x003FFC00u, 0x000007FFu) << QSize(16, 16) << QList<QRgb> {};
    QTest::newRow("OS/2 1.x BMP, short palette")
        << os2Bmp(3) << QSize(48, 48) << QList<QRgb> { qRgb(255, 0, 0), qRgb(0, 0, 255) };
    QTest::newRow("OS/2 1.x BMP, no palette") << os2Bmp(0) << QSize(48, 48) << QList<QRgb> {};
}

// Catches a picture that Qt's readers decode wrong without an error (black
// and white noise, garbled or black colours, a palette read into the
// pixels) reaching the slots or the print, and a broken one shown at all.
void TestReaderWorkarounds::picturesAreRightOrRefused()
{
    QFETCH(QByteArray, data);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, probes);
    const QString path
        = dir.filePath(QString::number(qHash(QByteArray(QTest::currentDataTag()))) + ".img");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    file.close();

    PhotoLoader loader(0);
    const Picture picture = loader.load(path, size);
    if (probes.isEmpty()) {
        QVERIFY(picture.image.isNull());
        QVERIFY2(picture.error.contains(QStringLiteral("読めない形式")), qPrintable(picture.error));
        return;
    }
    QVERIFY2(picture.ok(), qPrintable(picture.error));
    QCOMPARE(picture.image.size(), size);
    const QImage image = picture.image.convertToFormat(QImage::Format_ARGB32);
    const int y = size.height() / 2;
    const QRgb left = image.pixel(size.width() / 4, y);
    const QRgb right = image.pixel(size.width() * 3 / 4, y);
    QVERIFY2(near(left, probes.at(0)), qPrintable(QString::number(left, 16)));
    QVERIFY2(near(right, probes.at(1)), qPrintable(QString::number(right, 16)));
}

QTEST_GUILESS_MAIN(TestReaderWorkarounds)
#include "tst_readerworkarounds.moc"
