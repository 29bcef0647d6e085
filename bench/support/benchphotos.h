#pragma once

// The benchmarks' photos: camera-like 12-megapixel JPEGs; for the batch
// benchmarks, 300 of them with EXIF shooting times (and, when asked, an
// electronic blackboard's XMP), made once into a folder that later runs reuse.

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

namespace bench {

constexpr int PhotoCount = 300;
constexpr QSize PhotoSize(4000, 3000);

inline QString photoFolder(bool board = false)
{
    return board ? QStringLiteral("/var/tmp/zelkora-bench-board")
                 : QStringLiteral("/var/tmp/zelkora-bench-batch");
}

inline QString photoPath(int i, bool board = false)
{
    return photoFolder(board) + QStringLiteral("/IMG_%1.JPG").arg(i + 1, 4, 10, QLatin1Char('0'));
}

// Soft shapes under sensor-like noise, at quality 92: files of the size and
// decoding cost of a phone camera's.
inline QByteArray scene(int seed)
{
    QRandomGenerator random(seed);
    QImage image(PhotoSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, PhotoSize.height());
    sky.setColorAt(0, QColor::fromHsv(random.bounded(360), 80, 230));
    sky.setColorAt(1, QColor::fromHsv(random.bounded(360), 120, 90));
    painter.fillRect(image.rect(), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 300; ++i) {
        painter.setBrush(
            QColor::fromHsv(random.bounded(360), random.bounded(256), random.bounded(256)));
        const QRect r(random.bounded(PhotoSize.width()), random.bounded(PhotoSize.height()),
            random.bounded(20, 800), random.bounded(20, 800));
        if (i % 2)
            painter.drawEllipse(r);
        else
            painter.drawRect(r);
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const quint32 n = random.generate();
            const auto noisy = [n](int value, int shift) {
                return std::clamp(value + int((n >> shift) & 31) - 16, 0, 255);
            };
            line[x] = qRgb(
                noisy(qRed(line[x]), 0), noisy(qGreen(line[x]), 5), noisy(qBlue(line[x]), 10));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    writer.write(image);
    return bytes;
}

inline QByteArray be16(int v)
{
    return QByteArray(1, char(v >> 8)) + char(v & 0xFF);
}

inline QByteArray be32(quint32 v)
{
    return be16(int(v >> 16)) + be16(int(v & 0xFFFF));
}

// The JPEG with an EXIF segment holding DateTimeOriginal, put where cameras
// put it (first after SOI), followed by 40 KiB standing for the thumbnail.
inline QByteArray withExif(const QByteArray& jpeg, const QDateTime& shot)
{
    QByteArray tiff = "MM" + be16(42) + be32(8);
    tiff += be16(1) + be16(0x8769) + be16(4) + be32(1) + be32(26) + be32(0);
    tiff += be16(1) + be16(0x9003) + be16(2) + be32(20) + be32(44) + be32(0);
    tiff += shot.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1() + '\0';
    tiff += QByteArray(40 * 1024, '\0');
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    return jpeg.left(2) + char(0xFF) + char(0xE1) + be16(int(body.size()) + 2) + body + jpeg.mid(2);
}

// An electronic blackboard's XMP as cameras write it, after the EXIF
// segment: classification, remarks and two measurements.
inline QByteArray withBoard(const QByteArray& jpeg, int i)
{
    const QByteArray packet = QStringLiteral(
        "<?xpacket begin=\"\uFEFF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:photo=\"http://dcpadv.org/schema/3.0/photoinfo\" "
        "xmlns:measurement=\"http://dcpadv.org/schema/3.0/measurement\" "
        "xmlns:item=\"http://dcpadv.org/schema/3.0/measurementitem\">"
        "<photo:ConstructionName>市道１号線道路改良工事</photo:ConstructionName>"
        "<photo:Contructor>株式会社○○建設</photo:Contructor>"
        "<photo:LargeClassification>工事</photo:LargeClassification>"
        "<photo:PhotoClassification>出来形管理写真</photo:PhotoClassification>"
        "<photo:ConstructionType>道路土工</photo:ConstructionType>"
        "<photo:MiddleClassification>掘削工</photo:MiddleClassification>"
        "<photo:SmallClassification>土砂掘削</photo:SmallClassification>"
        "<photo:Title>掘削 No.%1</photo:Title>"
        "<photo:ClassificationRemarks><rdf:Seq><rdf:li>予備</rdf:li></rdf:Seq></photo:ClassificationRemarks>"
        "<photo:ShootingSpot>No.%1+10</photo:ShootingSpot>"
        "<photo:IsRepresentative>False</photo:IsRepresentative>"
        "<photo:IsFrequencyOfSubmission>True</photo:IsFrequencyOfSubmission>"
        "<photo:Measurements rdf:parseType=\"Resource\"><measurement:Classification>出来形</measurement:Classification>"
        "<measurement:MeasurementItems><rdf:Seq>"
        "<rdf:li rdf:parseType=\"Resource\"><item:Name>幅</item:Name><item:Mark>W</item:Mark>"
        "<item:DesignedValue>1000</item:DesignedValue><item:MeasuredValue>1005</item:MeasuredValue><item:UnitName>mm</item:UnitName></rdf:li>"
        "<rdf:li rdf:parseType=\"Resource\"><item:Name>深さ</item:Name><item:Mark>H</item:Mark>"
        "<item:DesignedValue>500</item:DesignedValue><item:MeasuredValue>498</item:MeasuredValue><item:UnitName>mm</item:UnitName></rdf:li>"
        "</rdf:Seq></measurement:MeasurementItems></photo:Measurements>"
        "</rdf:Description></rdf:RDF></x:xmpmeta>%2<?xpacket end=\"w\"?>")
        .arg(i + 1)
        .arg(QString(2048, QLatin1Char(' '))) // the padding cameras leave for edits
        .toUtf8();
    const QByteArray body = QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + packet;
    // After SOI and the EXIF segment that withExif() put first.
    const int exifEnd = 4 + (quint8(jpeg[4]) << 8 | quint8(jpeg[5]));
    return jpeg.left(exifEnd) + char(0xFF) + char(0xE1) + be16(int(body.size()) + 2) + body
        + jpeg.mid(exifEnd);
}

// Makes the photos unless a complete set is there already. Eight scenes;
// the shooting times run backwards against the names, so that ordering by
// time has work to do. The board set is the same photos with blackboard XMP.
// A folder that cannot be written is said on stderr.
inline bool makePhotos(bool board)
{
    if (QFile::exists(photoPath(PhotoCount - 1, board)))
        return true;
    QDir().mkpath(photoFolder(board));
    QList<QByteArray> scenes;
    for (int s = 0; s < 8; ++s)
        scenes << scene(s + 1);
    const QDateTime start(QDate(2024, 6, 1), QTime(9, 0));
    for (int i = 0; i < PhotoCount; ++i) {
        QFile f(photoPath(i, board));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        const QByteArray photo
            = withExif(scenes.at(i % scenes.size()), start.addSecs(60 * (PhotoCount - i)));
        f.write(board ? withBoard(photo, i) : photo);
    }
    return QFile::exists(photoPath(PhotoCount - 1, board));
}

inline bool ensurePhotos(bool board = false)
{
    if (makePhotos(board))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(photoFolder(board)));
    return false;
}

inline qint64 peakRssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

inline double loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(0).toDouble() : -1;
}

} // namespace bench
