#include "photos/photofacts.h"
#include "photos/photorecorder.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

namespace {

// Every fact as "name=value", items by their delivery names, lines as '/'.
QString describe(const PhotoFacts& f)
{
    QStringList out;
    for (int i = 0; i < InfoItemCount; ++i) {
        if (f.info.has(InfoItem(i)))
            out << info_item_name(InfoItem(i)) + u'=' + f.info.text(InfoItem(i)).replace(u'\n', u'/');
    }
    const auto add = [&out](const char* name, const QString& value) {
        if (!value.isEmpty())
            out << QLatin1String(name) + u'=' + value;
    };
    add("title", f.title);
    add("project", f.project);
    add("company", f.company);
    add("exif", f.shotTime.toString(Qt::ISODate));
    add("board", f.hasBoard ? QStringLiteral("yes") : QString());
    add("tamper", f.tamperData ? QStringLiteral("yes") : QString());
    return out.join(u'|');
}

QByteArray segment(int marker, const QByteArray& body)
{
    return QByteArray("\xFF") + char(marker) + be16(quint16(body.size() + 2)) + body;
}

const QByteArray Soi("\xFF\xD8");
const QByteArray Scan = QByteArray("\xFF\xDA") + QByteArray(5000, '\x55') + "\xFF\xD9";

} // namespace

class TestPhotoFacts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void board_data();
    void board();
    void header_data();
    void header();
    void record_data();
    void record();
};

// Catches a property missed in one of RDF's written forms, a flag taken
// literally, or measurements that lose a value.
void TestPhotoFacts::board_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QString>("expected");
    QTest::newRow("elements") << boardXmp(QStringLiteral(
        "<photo:ConstructionName>市道１号線</photo:ConstructionName><photo:Contructor>○○建設</photo:Contructor>"
        "<photo:LargeClassification>工事</photo:LargeClassification>"
        "<photo:PhotoClassification>施工状況写真</photo:PhotoClassification>"
        "<photo:ConstructionType>道路土工</photo:ConstructionType><photo:MiddleClassification>掘削工</photo:MiddleClassification>"
        "<photo:SmallClassification>土砂掘削</photo:SmallClassification><photo:Title>掘削状況</photo:Title>"
        "<photo:ClassificationRemarks><rdf:Seq><rdf:li>予備1</rdf:li><rdf:li>予備2</rdf:li></rdf:Seq></photo:ClassificationRemarks>"
        "<photo:ShootingSpot>No.5+10</photo:ShootingSpot><photo:IsRepresentative>TRUE</photo:IsRepresentative>"
        "<photo:IsFrequencyOfSubmission>false</photo:IsFrequencyOfSubmission><photo:ContractorRemarks>晴れ</photo:ContractorRemarks>"))
        << "写真-大分類=工事|写真区分=施工状況写真|工種=道路土工|種別=掘削工|細別=土砂掘削|工種区分予備=予備1/予備2|"
           "撮影箇所=No.5+10|代表写真=1|提出頻度写真=0|受注者説明文=晴れ|title=掘削状況|project=市道１号線|company=○○建設|board=yes";
    QTest::newRow("attributes, other prefix") << boardXmp({},
        QStringLiteral("b:ConstructionType=\"舗装工\" b:Title=\"転圧\" b:IsRepresentative=\"False\""), QStringLiteral("b"))
        << "工種=舗装工|代表写真=0|title=転圧|board=yes";
    QTest::newRow("language alternatives") << boardXmp(QStringLiteral(
        "<photo:Title><rdf:Alt><rdf:li xml:lang=\"en\">Digging</rdf:li><rdf:li xml:lang=\"x-default\">掘削</rdf:li></rdf:Alt></photo:Title>"
        "<photo:ShootingSpot><rdf:Alt><rdf:li xml:lang=\"en\">A</rdf:li><rdf:li xml:lang=\"ja-JP\">左岸</rdf:li></rdf:Alt></photo:ShootingSpot>"))
        << "撮影箇所=左岸|title=掘削|board=yes";
    QTest::newRow("measurements") << boardXmp(QStringLiteral(
        "<photo:Measurements rdf:parseType=\"Resource\"><measurement:Classification>出来形</measurement:Classification>"
        "<measurement:MeasurementItems><rdf:Seq>"
        "<rdf:li rdf:parseType=\"Resource\"><item:Name>幅</item:Name><item:Mark>W</item:Mark><item:DesignedValue>1000</item:DesignedValue>"
        "<item:MeasuredValue>1005</item:MeasuredValue><item:UnitName>mm</item:UnitName></rdf:li>"
        "<rdf:li><rdf:Description item:Name=\"高さ\" item:MeasuredValue=\"250\" item:UnitName=\"mm\" item:Remarks=\"左\"/></rdf:li>"
        "</rdf:Seq></measurement:MeasurementItems></photo:Measurements>"))
        << "施工管理値=出来形/幅 W 設計 1000 実測 1005 mm/高さ 実測 250 mm (左)|board=yes";
    QTest::newRow("no board") << boardXmp({}, QStringLiteral("xmlns:dc=\"http://purl.org/dc/elements/1.1/\" dc:format=\"image/jpeg\""))
                              << QString();
    QTest::newRow("document type refused") << QByteArray("<!DOCTYPE x [<!ENTITY a \"工種\">]>") + boardXmp(
        QStringLiteral("<photo:ConstructionType>&a;</photo:ConstructionType>")) << QString();
    QTest::newRow("malformed") << boardXmp(QStringLiteral("<photo:Title>掘削")) << QString();
    QTest::newRow("references, CDATA, comments") << boardXmp(QStringLiteral(
        "<!-- 黒板 --><photo:Title>A&amp;B &#x5DE5;&#20107;</photo:Title><photo:ShootingSpot><![CDATA[<No.5>]]></photo:ShootingSpot>"),
        QStringLiteral("photo:ConstructionType=\"&lt;舗装&gt;\""))
        << "工種=<舗装>|撮影箇所=<No.5>|title=A&B 工事|board=yes";
    QTest::newRow("default namespace, prefix scoped") << boardXmp(QStringLiteral(
        "<Title xmlns=\"http://dcpadv.org/schema/3.0/photoinfo\">床掘</Title>"
        "<q:Other xmlns:q=\"urn:x\"><q:x xmlns:photo=\"urn:y\"><photo:ShootingSpot>偽</photo:ShootingSpot></q:x></q:Other>"))
        << "title=床掘|board=yes";
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QTest::newRow("UTF-16") << QByteArray(utf16(QString::fromUtf8(boardXmp(QStringLiteral("<photo:Title>転圧</photo:Title>")))))
        << "title=転圧|board=yes";
    QTest::newRow("undeclared prefix") << boardXmp(QStringLiteral("<z:Title>掘削</z:Title><photo:Title>掘削</photo:Title>")) << QString();
    QTest::newRow("unknown entity") << boardXmp(QStringLiteral("<photo:Title>&nbsp;</photo:Title>")) << QString();
    QTest::newRow("not UTF-8") << boardXmp(QStringLiteral("<photo:Title>@</photo:Title>")).replace('@', "\x8C\x40") << QString();
    QTest::newRow("mismatched end") << boardXmp(QStringLiteral("<photo:Title>掘削</photo:Titel>")) << QString();
    QTest::newRow("after the root") << boardXmp(QStringLiteral("<photo:Title>掘削</photo:Title>")).replace("<?xpacket end", "x<?xpacket end") << QString();
}

void TestPhotoFacts::board()
{
    QFETCH(QByteArray, packet);
    QFETCH(QString, expected);
    const QByteArray header = Soi + segment(0xE1, xmpSegmentBody(packet)) + Scan;
    QCOMPARE(describe(PhotoFacts::from_header(header)), expected);
}

// Catches a segment walk that misses what follows a segment, reads past the
// picture's start, or trusts a length; hostile rows replay what the fuzz
// target looks for and must end quickly with nothing read.
void TestPhotoFacts::header_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("expected");
    const QByteArray exif = segment(0xE1, QByteArray("Exif\0\0", 6) + exifBody("2024:06:01 09:30:00", true));
    const QByteArray board = segment(0xE1, xmpSegmentBody(boardXmp(QStringLiteral("<photo:Title>床掘</photo:Title>"))));
    const QByteArray tamper = segment(0xE5, "DCPMI" + QByteArray(40, '\x01'));
    const QString all = QStringLiteral("title=床掘|exif=2024-06-01T09:30:00|board=yes|tamper=yes");
    QTest::newRow("camera order") << Soi + exif + board + tamper + Scan << all;
    QTest::newRow("fill bytes, other order") << Soi + tamper + "\xFF\xFF" + board + segment(0xE2, "ICC") + exif + Scan << all;
    QTest::newRow("after the scan") << Soi + exif + Scan + board + tamper << "exif=2024-06-01T09:30:00";
    QTest::newRow("APP5 of another kind") << Soi + segment(0xE5, "OTHER") + Scan << QString();
    QTest::newRow("truncated segment") << Soi + exif + board.left(board.size() / 2) << "exif=2024-06-01T09:30:00";
    QTest::newRow("length past the end") << Soi + QByteArray("\xFF\xE1\xFF\xFF") + board.mid(4) << QString();
    QTest::newRow("length below two") << Soi + QByteArray("\xFF\xE1\x00\x01") + board << QString();
    QTest::newRow("not a marker") << Soi + QByteArray("\x12\x34") + board << QString();
    QTest::newRow("TIFF") << QByteArray(exifBody("2023:01:02 03:04:05", false)) << "exif=2023-01-02T03:04:05";
    QString deep;
    for (int i = 0; i < 5000; ++i)
        deep += QStringLiteral("<photo:Title>");
    QTest::newRow("deep nesting") << Soi + segment(0xE1, xmpSegmentBody(boardXmp(deep).left(60000))) + Scan << QString();
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"hahahahaha\">";
    for (char c = 'b'; c <= 'j'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"" + QByteArray(10, '&').replace("&", QByteArray("&") + char(c - 1) + ";") + "\">";
    const QByteArray packet = boardXmp(QStringLiteral("<photo:Title>&j;</photo:Title>"));
    laughs += "]>" + packet.mid(packet.indexOf("<x:xmpmeta"));
    QTest::newRow("billion laughs") << Soi + segment(0xE1, xmpSegmentBody(laughs)) + Scan << QString();
}

void TestPhotoFacts::header()
{
    QFETCH(QByteArray, header);
    QFETCH(QString, expected);
    QCOMPARE(describe(PhotoFacts::from_header(header)), expected);
    // The file reader stops at the picture and sees the same.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.jpg"));
    QVERIFY(writeAll(path, header));
    QCOMPARE(describe(PhotoFacts::read(path)), expected);
}

// Catches a wrong or truncated digest, a time in the wrong unit, a failure
// reported as a record, and a recorder that touches the photo.
void TestPhotoFacts::record_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("small") << QByteArray("abc") << true;
    QTest::newRow("several chunks") << QByteArray(3 * 1024 * 1024 + 7, 'z') << true;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("missing") << QByteArray() << false;
}

void TestPhotoFacts::record()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    QVERIFY(!exists || writeAll(path, content));
    const QDateTime before = QFileInfo(path).lastModified();
    PhotoRecorder recorder;
    QSignalSpy recorded(&recorder, &PhotoRecorder::recorded);
    QSignalSpy failed(&recorder, &PhotoRecorder::failed);
    recorder.start({ path });
    QVERIFY(recorder.finish(10000));
    const bool readable = exists && !content.isEmpty();
    QCOMPARE(failed.size() == 1 && !failed.at(0).at(1).toString().isEmpty(), !readable);
    QCOMPARE(recorded.size(), readable ? 1 : 0);
    if (readable) {
        const auto record = recorded.at(0).at(1).value<PhotoRecord>();
        QCOMPARE(record.size, content.size());
        QCOMPARE(record.modified, before.toMSecsSinceEpoch());
        QCOMPARE(record.sha256, QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
        QCOMPARE(readAll(path), content);
        QCOMPARE(QFileInfo(path).lastModified(), before);
    }
}

QTEST_GUILESS_MAIN(TestPhotoFacts)
#include "tst_photofacts.moc"
