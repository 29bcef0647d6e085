#include "drawnelements.h"

#include "model/entrytable.h"
#include "print/photopage.h"

#include <QTest>

using namespace zk;

namespace {

QImage solid(int w, int h, Qt::GlobalColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Slot 1 with a two-line text and a photo, slot 2 empty without photo (but
// a picture that must not be drawn), slot 3 with a photo.
PageSlots samplePage()
{
    PageSlots slots;
    slots[0] = { "No. 1", "基礎配筋", "配筋状況\r\nD13@200", solid(20, 10, Qt::red), true };
    slots[1] = { "No. 2", "", "", solid(5, 5, Qt::blue), false };
    slots[2] = { "No. 3", "埋戻し", "x", solid(30, 30, Qt::green), true };
    return slots;
}

RecordingPrintDevice printed(const PageSlots& slots)
{
    RecordingPrintDevice device;
    print_photo_page(device, slots);
    return device;
}

QStringList textLinesOf(const QStringList& elements)
{
    QStringList lines;
    for (const QString& e : elements) {
        if (e.startsWith(QLatin1String("text ")) && e.contains(QLatin1String(" M 10 R")))
            lines << e;
    }
    return lines;
}

} // namespace

class TestPhotoPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyElement_data();
    void everyElement();
    void callOrder();
    void textLines_data();
    void textLines();
    void slotsFromEntries();
    void photoPrintSize_data();
    void photoPrintSize();
};

// The sample page element by element: catches a wrong position of any rule,
// text, frame or photo (the uneven slot pitch included), a wrong font size,
// a picture drawn without the has-photo flag, or a slot left out.
void TestPhotoPage::everyElement_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    const QStringList table = {
        "origin -13.5 4",
        "line 143.5 13 158 13 pen 1",
        "text 143.5 15 M 11 R No. 1",
        "line 143.5 20.5 190 20.5 pen 1",
        "text 143.5 23 M 11 R 基礎配筋",
        "line 143.5 29 190 29 pen 1",
        "text 143.5 31 M 10 R 配筋状況",
        "text 143.5 37 M 10 R D13@200",
        "rect 18.5 10 140.5 99 pen 1",
        "picture 19.5 11 120 87 20x10 #ff0000",
        "line 143.5 105 158 105 pen 1",
        "text 143.5 107 M 11 R No. 2",
        "line 143.5 112.5 190 112.5 pen 1",
        "text 143.5 115 M 11 R ",
        "line 143.5 121 190 121 pen 1",
        "text 143.5 123 M 10 R ",
        "rect 18.5 102 140.5 191 pen 1",
        "line 143.5 197 158 197 pen 1",
        "text 143.5 198 M 11 R No. 3",
        "line 143.5 204.5 190 204.5 pen 1",
        "text 143.5 206 M 11 R 埋戻し",
        "line 143.5 212 190 212 pen 1",
        "text 143.5 214 M 10 R x",
        "rect 18.5 193 140.5 282 pen 1",
        "picture 19.5 194 120 87 30x30 #00ff00",
    };
    for (int i = 0; i < table.size(); ++i)
        QTest::addRow("%02d %s", i, qPrintable(table.at(i))) << i << table.at(i);
    QTest::addRow("count") << -1 << QString::number(table.size());
}

void TestPhotoPage::everyElement()
{
    QFETCH(int, index);
    QFETCH(QString, expected);
    const QStringList elements = drawnElements(printed(samplePage()).calls());
    if (index < 0)
        QCOMPARE(QString::number(elements.size()), expected);
    else
        QCOMPARE(elements.value(index), expected);
}

// The page sets up its origin, font, weight and pen before anything else
// (so it does not depend on what the job drew before), then each slot sets
// its size before each text and the solid pen of 1 before its frame.
void TestPhotoPage::callOrder()
{
    const QStringList log = printed(samplePage()).log();
    const QStringList expected = {
        "origin -13.5 4",
        "font ＭＳ 明朝",
        "bold 0",
        "pen 1",
        "solid",
        "line 143.5 13 158 13",
        "size 11",
        "pos 143.5 15",
        "text No. 1",
        "line 143.5 20.5 190 20.5",
        "size 11",
        "pos 143.5 23",
        "text 基礎配筋",
        "line 143.5 29 190 29",
        "size 10",
        "pos 143.5 31",
        "text 配筋状況",
        "size 10",
        "pos 143.5 37",
        "text D13@200",
        "pen 1",
        "solid",
        "rect 18.5 10 140.5 99",
        "picture 19.5 11 120 87 20x10 #ff0000",
        "line 143.5 105 158 105",
    };
    QCOMPARE(log.mid(0, expected.size()), expected);
}

// Only CR LF splits the text, at a 6 mm pitch from the slot's base; empty
// lines keep their place; nothing is cut, however long or many the lines.
void TestPhotoPage::textLines_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    QStringList twenty;
    QStringList twentyPrinted;
    for (int k = 0; k < 20; ++k) {
        twenty << QStringLiteral("行%1").arg(k + 1);
        twentyPrinted << QStringLiteral("text 143.5 %1 M 10 R 行%2").arg(31 + 6 * k).arg(k + 1);
    }
    QCOMPARE(twentyPrinted.last(), QStringLiteral("text 143.5 145 M 10 R 行20"));
    QTest::newRow("20 lines run into slot 2's column")
        << 0 << twenty.join(QLatin1String("\r\n")) << twentyPrinted;
    QTest::newRow("CR LF CR LF leaves an empty line")
        << 1 << "A\r\n\r\nB"
        << QStringList { "text 143.5 123 M 10 R A", "text 143.5 129 M 10 R ",
               "text 143.5 135 M 10 R B" };
    QTest::newRow("lone LF does not split")
        << 2 << "a\nb" << QStringList { "text 143.5 214 M 10 R a\nb" };
    QTest::newRow("lone CR does not split")
        << 0 << "a\rb" << QStringList { "text 143.5 31 M 10 R a\rb" };
    QTest::newRow("LF CR is not CR LF")
        << 0 << "a\n\rb" << QStringList { "text 143.5 31 M 10 R a\n\rb" };
    QTest::newRow("trailing CR LF takes a line")
        << 2 << "a\r\n"
        << QStringList { "text 143.5 214 M 10 R a", "text 143.5 220 M 10 R " };
    QTest::newRow("empty text prints nothing")
        << 1 << "" << QStringList { "text 143.5 123 M 10 R " };
    const QString wide = QString(QStringLiteral("長い説明文")).repeated(40);
    QTest::newRow("long line is not cut")
        << 0 << wide << QStringList { "text 143.5 31 M 10 R " + wide };
}

void TestPhotoPage::textLines()
{
    QFETCH(int, slot);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    PageSlots slots = samplePage();
    for (SlotRecord& s : slots)
        s.text.clear();
    slots[slot].text = text;
    QStringList lines = textLinesOf(drawnElements(printed(slots).calls()));
    // The other two slots print their empty text as one empty line each.
    const QStringList emptyBases = { "31", "123", "214" };
    for (int s = 0; s < 3; ++s) {
        if (s != slot)
            QVERIFY(lines.removeOne("text 143.5 " + emptyBases.at(s) + " M 10 R "));
    }
    QCOMPARE(lines, expected);
}

// The number label is "No." directly followed by the stored number, and
// the has-photo flag comes from the image file field, not from a picture.
void TestPhotoPage::slotsFromEntries()
{
    EntryTable entries;
    entries.reset_table();
    entries.append_entry(" 14", "型枠組立", "a\r\nb", "/photos/p14.jpg");
    entries.append_entry("7a", "", "", "");
    entries.append_entry(" 16", "t", "", "C:\\写真\\16.JPG");
    const PageSlots slots = page_slots(entries, 2);
    QCOMPARE(slots[0].numberLabel, QStringLiteral("No. 14"));
    QCOMPARE(slots[0].title, QStringLiteral("型枠組立"));
    QCOMPARE(slots[0].text, QStringLiteral("a\r\nb"));
    QVERIFY(slots[0].hasPhoto);
    QCOMPARE(slots[1].numberLabel, QStringLiteral("No.7a"));
    QVERIFY(!slots[1].hasPhoto);
    QVERIFY(slots[2].hasPhoto);
    for (const SlotRecord& s : slots)
        QVERIFY(s.picture.isNull());
    QCOMPARE(page_slots(entries, 1)[2].numberLabel, QStringLiteral("No. 3"));
}

// 300 dpi at most: 1417 x 1028 pixels for 120 x 87 mm, fewer on a coarser device.
void TestPhotoPage::photoPrintSize_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("300 dpi") << 300.0 << QSize(1417, 1028);
    QTest::newRow("1200 dpi is capped") << 1200.0 << QSize(1417, 1028);
    QTest::newRow("150 dpi device") << 150.0 << QSize(709, 514);
    QTest::newRow("72 dpi device") << 72.0 << QSize(340, 247);
}

void TestPhotoPage::photoPrintSize()
{
    QFETCH(double, dpi);
    QFETCH(QSize, expected);
    QCOMPARE(photo_print_size(dpi), expected);
}

QTEST_GUILESS_MAIN(TestPhotoPage)
#include "tst_photopage.moc"
