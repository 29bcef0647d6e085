#include "docfile/cp932codec.h"
#include "model/infoedit.h"
#include "model/infoorder.h"
#include "docfile/worktypefile.h"
#include "model/worktypelist.h"

#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

using namespace zk;

namespace {

// "工種|種別|細別" for each row.
QStringList lines(const QList<WorkTypeRow>& rows)
{
    QStringList out;
    for (const WorkTypeRow& r : rows)
        out << r.workType + u'|' + r.kind + u'|' + r.detail;
    return out;
}

QByteArray sjis(const QString& text)
{
    QByteArray out;
    Cp932Codec::instance().encode(text, out);
    return out;
}

// "写真区分|工種|種別|細別|撮影年月日|EXIF time|blank" ("-" for none).
InfoSortKey key(const QString& recipe)
{
    const QStringList f = recipe.split(u'|');
    const auto part = [&f](int i) { return f.at(i) == u'-' ? QString() : f.at(i); };
    InfoSortKey k;
    k.info.photoClass = part(0);
    k.info.workType = part(1);
    k.info.kind = part(2);
    k.info.detail = part(3);
    k.info.shotDate = part(4);
    k.photoTime = QDateTime::fromString(part(5), Qt::ISODate);
    k.blank = f.value(6) == u'1';
    return k;
}

} // namespace

class TestInfoEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void masterListReads_data();
    void masterListReads();
    void masterListOffers();
    void shotDate_data();
    void shotDate();
    void patch_data();
    void patch();
    void sortOrder_data();
    void sortOrder();
};

// Catches a Shift-JIS list read as mojibake, a header taken as a row or
// columns taken by place when the header names them, blank and repeated
// rows kept, a broken file read as if whole, and a written list that does
// not read back the same.
void TestInfoEdit::masterListReads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("error"); // part of the message; "" for none

    const QString list = QStringLiteral("工種,種別,細別\r\n道路土工,掘削工,\r\n舗装工,舗装準備工,不陸整正\r\n");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") + list.toUtf8()
                                    << QStringList { "道路土工|掘削工|", "舗装工|舗装準備工|不陸整正" } << "";
    QTest::newRow("Shift-JIS") << sjis(list)
                               << QStringList { "道路土工|掘削工|", "舗装工|舗装準備工|不陸整正" } << "";
    QTest::newRow("header in another order, blanks and repeats")
        << QStringLiteral("細別,備考,工種\n不陸整正,x, 舗装工 \n,,\n不陸整正,y,舗装工\n,z,\n").toUtf8()
        << QStringList { "舗装工||不陸整正" } << "";
    QTest::newRow("no header") << QStringLiteral("擁壁工,場所打擁壁工\n").toUtf8()
                               << QStringList { "擁壁工|場所打擁壁工|" } << "";
    QTest::newRow("broken quote") << QByteArray("a,\"b\nc,d\n") << QStringList() << "1 行目";
    QTest::newRow("neither UTF-8 nor Shift-JIS")
        << QByteArray("\x81\x7f,\xff\xfe\n") << QStringList() << "文字コード";
}

void TestInfoEdit::masterListReads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QFETCH(QString, error);
    const WorkTypeRead read = WorkTypeFile::parse(bytes);
    QCOMPARE(read.message.contains(error) && read.ok() == error.isEmpty(), true);
    QCOMPARE(lines(read.rows), expected);
    if (!read.ok())
        return;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sub/worktypes.csv"));
    QCOMPARE(WorkTypeFile::save(read.rows, file), QString());
    QVERIFY(readAll(file).startsWith(QStringLiteral("工種,種別,細別\r\n").toUtf8()));
    QCOMPARE(WorkTypeFile::load(file).rows, read.rows);
}

// Catches 種別 not narrowed by 工種 (or 細別 by 種別), names offered twice,
// and an empty choice above narrowing to nothing.
void TestInfoEdit::masterListOffers()
{
    const QList<WorkTypeRow> rows = { { "舗装工", "舗装準備工", "不陸整正" },
        { "道路土工", "掘削工", "" }, { "舗装工", "表層工", "" }, { "舗装工", "舗装準備工", "路盤" } };
    QCOMPARE(WorkTypeList::work_types(rows), (QStringList { "舗装工", "道路土工" }));
    QCOMPARE(WorkTypeList::kinds(rows, "舗装工"), (QStringList { "舗装準備工", "表層工" }));
    QCOMPARE(WorkTypeList::kinds(rows, ""), (QStringList { "舗装準備工", "掘削工", "表層工" }));
    QCOMPARE(WorkTypeList::details(rows, "舗装工", "舗装準備工"), (QStringList { "不陸整正", "路盤" }));
    QCOMPARE(WorkTypeList::details(rows, "道路土工", ""), QStringList());
}

// Catches dates that do not exist being taken (30 February, 29 February of
// a common year), typed forms users write being refused, and text kept.
void TestInfoEdit::shotDate_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept"); // "" when refused or empty
    QTest::addColumn<bool>("refused");

    QTest::newRow("as kept") << "2024-05-01" << "2024-05-01" << false;
    QTest::newRow("slashes, one digit") << " 2024/5/1 " << "2024-05-01" << false;
    QTest::newRow("full-width") << QStringLiteral("２０２４－０２－２９") << "2024-02-29" << false;
    QTest::newRow("empty") << "" << "" << false;
    QTest::newRow("30 February") << "2024-02-30" << "" << true;
    QTest::newRow("29 February, common year") << "2023-02-29" << "" << true;
    QTest::newRow("month 13") << "2024-13-01" << "" << true;
    QTest::newRow("Japanese era") << QStringLiteral("令和6年5月1日") << "" << true;
    QTest::newRow("two-digit year") << "24-05-01" << "" << true;
}

void TestInfoEdit::shotDate()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(bool, refused);
    QString problem;
    QCOMPARE(normalized_shot_date(typed, &problem), kept);
    QCOMPARE(problem.contains(QStringLiteral("撮影年月日")), refused);
}

// Catches a bulk setting that touches items left blank, does not empty the
// items chosen for it, or mixes up drawings' titles.
void TestInfoEdit::patch_data()
{
    QTest::addColumn<PhotoInfo>("values");
    QTest::addColumn<QList<InfoItem>>("cleared");
    QTest::addColumn<PhotoInfo>("expected");

    PhotoInfo values;
    values.photoClass = "施工状況写真";
    values.representative = "0";
    values.drawings = { { "/d/a.pdf", "平面図" } };
    PhotoInfo expected;
    expected.photoClass = "施工状況写真";
    expected.workType = "舗装工";
    expected.spot = "No.3";
    expected.representative = "0";
    expected.drawings = values.drawings;
    QTest::newRow("set three, keep the rest") << values << QList<InfoItem>() << expected;
    expected = PhotoInfo();
    expected.photoClass = "着手前及び完成写真";
    expected.representative = "1";
    expected.reserves = QStringList { "A", "B" };
    expected.drawings = { { "/d/b.pdf", "断面図" } };
    QTest::newRow("clear three")
        << PhotoInfo() << QList<InfoItem> { InfoItem::WorkType, InfoItem::Spot, InfoItem::Kind }
        << expected;
}

void TestInfoEdit::patch()
{
    QFETCH(PhotoInfo, values);
    QFETCH(QList<InfoItem>, cleared);
    QFETCH(PhotoInfo, expected);
    PhotoInfo before;
    before.photoClass = "着手前及び完成写真";
    before.workType = "舗装工";
    before.spot = "No.3";
    before.representative = "1";
    before.reserves = QStringList { "A", "B" };
    before.drawings = { { "/d/b.pdf", "断面図" } };
    // Rows that keep items expect those of `before`.
    if (cleared.isEmpty())
        expected.reserves = before.reserves;
    const InfoPatch patch { values, cleared };
    QCOMPARE(patch.applied_to(before), expected);
}

// Catches classes ordered by name instead of the list's order, unknown or
// empty classes and names not going last, an unstable sort, the EXIF time
// not ordering photos of the same 撮影年月日, and blank entries not last.
void TestInfoEdit::sortOrder_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("class in list order, unknown then empty last")
        << QStringList { "-|-|-|-|-|-", "品質管理写真|-|-|-|-|-", "謎|-|-|-|-|-",
               "着手前及び完成写真|-|-|-|-|-", "施工状況写真|-|-|-|-|-" }
        << QList<int> { 4, 5, 2, 3, 1 };
    QTest::newRow("names, empty last, equal ones stable")
        << QStringList { "施工状況写真|B|-|-|-|-", "施工状況写真|-|-|-|-|-",
               "施工状況写真|A|y|-|-|-", "施工状況写真|A|x|2|-|-", "施工状況写真|A|x|1|-|-",
               "施工状況写真|A|x|1|-|-" }
        << QList<int> { 5, 6, 4, 3, 1, 2 };
    QTest::newRow("shooting time: item, EXIF of that day, unknown last")
        << QStringList { "-|-|-|-|-|-", "-|-|-|-|2024-05-02|2024-05-01T09:00:00",
               "-|-|-|-|-|2024-05-02T08:00:00", "-|-|-|-|2024-05-02|2024-05-02T07:00:00",
               "-|-|-|-|2024-05-01|-" }
        << QList<int> { 5, 2, 4, 3, 1 };
    QTest::newRow("blank entries last")
        << QStringList { "-|-|-|-|-|-|1", "-|-|-|-|-|-", "-|-|-|-|-|-|1", "施工状況写真|-|-|-|-|-" }
        << QList<int> { 4, 2, 1, 3 };
}

void TestInfoEdit::sortOrder()
{
    QFETCH(QStringList, keys);
    QFETCH(QList<int>, order);
    QList<InfoSortKey> built;
    for (const QString& k : keys)
        built << key(k);
    QCOMPARE(info_sort_order(built), order);
}

QTEST_GUILESS_MAIN(TestInfoEdit)
#include "tst_infoedit.moc"
