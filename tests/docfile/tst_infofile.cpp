#include "docfile/infofile.h"

#include <QTemporaryDir>
#include <QTest>

#include "documentbytes.h"
#include "testfiles.h"

using namespace zk;

namespace {

// Three entries: two photos and an empty slot.
Document album()
{
    Document d;
    d.entries.reset_table();
    d.entries.set_field(1, EntryField::Image, QStringLiteral("/p/1.jpg"));
    d.entries.set_field(2, EntryField::Image, QStringLiteral("/p/2.jpg"));
    return d;
}

QByteArray file(const QByteArray& entries, const QByteArray& version = "1")
{
    return R"({"format":"zelkora-photo-info","version":)" + version + R"(,"entries":[)" + entries
        + "]}";
}

} // namespace

class TestInfoFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openMatchesByPositionAndPhoto_data();
    void openMatchesByPositionAndPhoto();
    void saveKeepsWhatItCannotRead_data();
    void saveKeepsWhatItCannotRead();
};

// Information given to the wrong photo, or lost because the album file was
// changed elsewhere or the file is damaged or newer.
void TestInfoFile::openMatchesByPositionAndPhoto_data()
{
    using O = InfoReadResult::Outcome;
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("infos");
    QTest::addColumn<int>("setAside");

    const QByteArray a = R"({"position":1,"image":"/p/1.jpg","info":{"工種":"A"}})";
    QTest::newRow("matching") << file(a) << int(O::Read) << "1 工種=A" << 0;
    QTest::newRow("unknown names ignored")
        << file(R"({"position":2,"image":"/p/2.jpg","x":1,"info":{"細別":"B","未知":"?"}})")
        << int(O::Read) << "2 細別=B" << 0;
    QTest::newRow("empty slot")
        << file(R"({"position":3,"image":"","info":{"撮影箇所":"C"}})") << int(O::Read)
        << "3 撮影箇所=C" << 0;
    QTest::newRow("photo changed")
        << file(R"({"position":2,"image":"/p/9.jpg","info":{"工種":"A"}})") << int(O::Read) << ""
        << 1;
    QTest::newRow("past the end")
        << file(R"({"position":7,"image":"","info":{"工種":"A"}})") << int(O::Read) << "" << 1;
    QTest::newRow("same position twice") << file(a + ',' + a) << int(O::Read) << "1 工種=A" << 1;
    QTest::newRow("record only, photo gone")
        << file(R"({"position":1,"image":"/p/x.jpg","record":{"size":1,"modified":2}})")
        << int(O::Read) << "" << 0;
    QTest::newRow("newer") << file(a, QByteArray::number(InfoFile::Version + 1)) << int(O::Newer) << "" << 0;
    // Version 2: rows of texts given or numbered in "strings", wherever it stands.
    const QByteArray texts = R"(,"strings":["","/p/","A"]})";
    QTest::newRow("v2, texts after the rows")
        << file(R"([1,1,"1.jpg",[0,0,2]],[2,"/p/","2.jpg",[],5,6,""])", "2").chopped(1) + texts
        << int(O::Read) << "1 工種=A" << 0;
    QTest::newRow("v2, photo changed") << file(R"([2,1,"1.jpg",[0,0,2]])", "2").chopped(1) + texts
                                       << int(O::Read) << "" << 1;
    QTest::newRow("v2, text not in the table")
        << file(R"([1,1,"1.jpg",[0,0,3]])", "2").chopped(1) + texts << int(O::Damaged) << "" << 0;
    QTest::newRow("not JSON") << file(a).chopped(1) << int(O::Damaged) << "" << 0;
    QTest::newRow("wrong type, nothing applied")
        << file(a + R"(,{"position":2,"image":"/p/2.jpg","info":{"工種":3}})") << int(O::Damaged)
        << "" << 0;
    QTest::newRow("bad record")
        << file(R"({"position":1,"image":"/p/1.jpg","record":{"size":"1"}})") << int(O::Damaged)
        << "" << 0;
    QTest::newRow("another format") << QByteArray(R"({"format":"x","version":1})")
                                    << int(O::Damaged) << "" << 0;
}

void TestInfoFile::openMatchesByPositionAndPhoto()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, outcome);
    QFETCH(QString, infos);
    QFETCH(int, setAside);

    Document d = album();
    const InfoReadResult r = InfoFile::decode(bytes, &d);
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(infosOf(d), infos);
    QCOMPARE(r.setAside, setAside);
    QCOMPARE(d.setAside.size(), setAside);
    QCOMPARE(r.message.isEmpty(), outcome == int(InfoReadResult::Outcome::Read));
}

// Deleted information coming back from a stale file, a damaged or newer file
// overwritten, or information not surviving a save and an open.
void TestInfoFile::saveKeepsWhatItCannotRead_data()
{
    QTest::addColumn<QByteArray>("before"); // empty: no file
    QTest::addColumn<bool>("withInfo");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("backup");

    const QByteArray ours = file(R"({"position":1,"image":"/p/1.jpg","info":{"工種":"古"}})");
    QTest::newRow("information, no file") << QByteArray() << true << true << false;
    QTest::newRow("information over our file") << ours << true << true << false;
    QTest::newRow("over our file edited by hand: check stale, read through")
        << file(R"([1,"/p/","1.jpg",["工事"]])", "2").chopped(1) + R"(,"check":"0000000000000000"})"
        << true << true << false;
    QTest::newRow("nothing: our stale file removed") << ours << false << false << false;
    QTest::newRow("nothing, no file") << QByteArray() << false << false << false;
    QTest::newRow("information over a damaged file") << QByteArray("{") << true << true << true;
    QTest::newRow("nothing over a newer file")
        << file({}, QByteArray::number(InfoFile::Version + 1)) << false << false << true;
}

void TestInfoFile::saveKeepsWhatItCannotRead()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, withInfo);
    QFETCH(bool, written);
    QFETCH(bool, backup);

    QTemporaryDir dir;
    const QString albumPath = dir.filePath(QStringLiteral("写真帳.zkr"));
    const QString infoPath = dir.filePath(QStringLiteral("写真帳.zkinfo"));
    QCOMPARE(InfoFile::path_for(albumPath), infoPath);
    if (!before.isEmpty())
        QVERIFY(writeAll(infoPath, before));
    Document d = album();
    if (withInfo) {
        PhotoInfo info;
        info.reserves = { QStringLiteral("予備1"), QStringLiteral("予備2") };
        info.drawings = { { QStringLiteral("/d/平面図.pdf"), QStringLiteral("平面図") } };
        info.shotDate = QStringLiteral("2026-04-01");
        d.entries.set_info(2, info);
        d.records.insert(QStringLiteral("/p/1.jpg"), { 10, 20, QByteArray(64, 'a') });
        d.records.insert(QStringLiteral("/p/unused.jpg"), { 1, 2, {} });
        d.setAside.append({ 5, QStringLiteral("/p/5.jpg"), info, {} });
    }

    QCOMPARE(InfoFile::write(albumPath, d), QString());
    QCOMPARE(QFileInfo::exists(infoPath), written);
    QCOMPARE(QFileInfo::exists(infoPath + QLatin1String(".bak")), backup);
    if (backup)
        QCOMPARE(readAll(infoPath + QLatin1String(".bak")), before);

    Document back = album();
    const InfoReadResult r = InfoFile::read(albumPath, &back);
    QCOMPARE(r.message, QString());
    QCOMPARE(infosOf(back), infosOf(d));
    QCOMPARE(back.setAside, d.setAside);
    // Records of photos no entry uses are not kept.
    d.records.remove(QStringLiteral("/p/unused.jpg"));
    QCOMPARE(back.records, d.records);
}

QTEST_GUILESS_MAIN(TestInfoFile)
#include "tst_infofile.moc"
