#include "drawnelements.h"

#include "model/entrytable.h"
#include "print/photopage.h"
#include "testphotos.h"

#include <QTest>

using namespace zk;

namespace {

// Slot 1 with CR LF CR LF in its text, slot 2 empty and without photo (but
// with a picture that must not be drawn), slot 3 with a lone LF.
PageSlots samplePage()
{
    PageSlots slots;
    slots[0] = { "No. 1", "基礎配筋", "配筋状況\r\n\r\nD13@200", solidPhoto(QSize(20, 10), Qt::red),
        true };
    slots[1] = { "No. 2", "", "", solidPhoto(QSize(5, 5), Qt::blue), false };
    slots[2] = { "No. 3", "埋戻し", "a\nb", solidPhoto(QSize(30, 30), Qt::green), true };
    return slots;
}

QStringList printed(const PageSlots& slots)
{
    RecordingPrintDevice device;
    print_photo_page(device, slots);
    return drawnElements(device.calls());
}

} // namespace

class TestPhotoPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyElement();
    void twentyLineText();
    void slotsFromEntries();
    void photoPrintSize();
    void keepShapeCentresThePhoto_data();
    void keepShapeCentresThePhoto();
};

// The page element by element: catches a wrong position of any rule, text,
// frame or photo (the uneven slot pitch included), a wrong font, size or pen,
// a page that relies on settings made before it, a text split other than at
// CR LF or an empty line dropped, a picture drawn without the has-photo flag.
void TestPhotoPage::everyElement()
{
    const QStringList expected = {
        "origin -13.5 4",
        "line 143.5 13 158 13 pen 1",
        "text 143.5 15 M 11 R No. 1",
        "line 143.5 20.5 190 20.5 pen 1",
        "text 143.5 23 M 11 R 基礎配筋",
        "line 143.5 29 190 29 pen 1",
        "text 143.5 31 M 10 R 配筋状況",
        "text 143.5 37 M 10 R ",
        "text 143.5 43 M 10 R D13@200",
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
        "text 143.5 214 M 10 R a\nb",
        "rect 18.5 193 140.5 282 pen 1",
        "picture 19.5 194 120 87 30x30 #00ff00",
    };
    QCOMPARE(printed(samplePage()), expected);
}

// All 20 lines at a 6 mm pitch, running on below the slot: nothing is cut.
void TestPhotoPage::twentyLineText()
{
    QStringList text;
    QStringList expected;
    for (int k = 0; k < 20; ++k) {
        text << QStringLiteral("行%1").arg(k + 1);
        expected << QStringLiteral("text 143.5 %1 M 10 R 行%2").arg(31 + 6 * k).arg(k + 1);
    }
    PageSlots slots = samplePage();
    slots[0].text = text.join(QLatin1String("\r\n"));
    QCOMPARE(printed(slots).mid(6, 20), expected);
}

// Page 2 holds entries 4 to 6; the label is "No." directly followed by the
// stored number; the has-photo flag comes from the image file field.
void TestPhotoPage::slotsFromEntries()
{
    EntryTable entries;
    entries.reset_table();
    entries.append_entry(" 14", "型枠組立", "a\r\nb", "/photos/p14.jpg");
    entries.append_entry("7a", "", "", "");
    entries.append_entry(" 16", "t", "", "C:\\写真\\16.JPG");
    QStringList seen;
    for (const SlotRecord& s : page_slots(entries, 2))
        seen << s.numberLabel + '|' + s.title + '|' + s.text + '|' + QString::number(s.hasPhoto);
    QCOMPARE(seen, (QStringList { "No. 14|型枠組立|a\r\nb|1", "No.7a|||0", "No. 16|t||1" }));
}

// 300 dpi at most: 1417 x 1028 pixels for 120 x 87 mm, fewer on a coarser device.
void TestPhotoPage::photoPrintSize()
{
    QCOMPARE(photo_print_size(300), QSize(1417, 1028));
    QCOMPARE(photo_print_size(1200), QSize(1417, 1028));
    QCOMPARE(photo_print_size(150), QSize(709, 514));
}

// With the option the photo keeps its proportions inside its 120 x 87 mm
// box, centred, and the frame stays where it is; without it, it is stretched.
void TestPhotoPage::keepShapeCentresThePhoto_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("drawn");
    QTest::newRow("wide photo, stretched") << QSize(400, 100) << false << "19.5 11 120 87";
    QTest::newRow("wide photo, shape kept") << QSize(400, 100) << true << "19.5 39.5 120 30";
    QTest::newRow("portrait photo, shape kept")
        << QSize(300, 400) << true << "46.875 11 65.25 87";
    QTest::newRow("square photo, shape kept") << QSize(50, 50) << true << "36 11 87 87";
}

void TestPhotoPage::keepShapeCentresThePhoto()
{
    QFETCH(QSize, size);
    QFETCH(bool, keep);
    QFETCH(QString, drawn);
    PageSlots slots = samplePage();
    slots[0].picture = solidPhoto(size, Qt::red);
    RecordingPrintDevice device;
    print_photo_page(device, slots, keep);
    const QStringList elements = drawnElements(device.calls());
    QCOMPARE(elements.filter("picture").first().section(' ', 1, 4), drawn);
    QVERIFY(elements.contains("rect 18.5 10 140.5 99 pen 1"));
}

QTEST_GUILESS_MAIN(TestPhotoPage)
#include "tst_photopage.moc"
