#include "drawnelements.h"

#include "model/coverdata.h"
#include "model/document.h"
#include "print/albumprint.h"
#include "print/coverpage.h"

#include <QTest>

using namespace zk;

namespace {

CoverData cover(const QStringList& fields)
{
    CoverData c;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        c.setLine(n, fields.value(n - 1));
    return c;
}

QStringList printed(const CoverData& cover)
{
    RecordingPrintDevice device;
    print_cover(device, cover);
    return drawnElements(device.calls());
}

} // namespace

class TestCoverPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyElement();
    void valueDependentPlaces();
    void eraNamesTheYears_data();
    void eraNamesTheYears();
    void fullWidthDigitsPlaceLikeDigits_data();
    void fullWidthDigitsPlaceLikeDigits();
};

// The cover drawn element by element, in drawing order: catches a wrong
// position, font, size, weight, pen width or text of any element, a missing
// or extra element, and a wrong order.
void TestCoverPage::everyElement()
{
    const QStringList expected = {
        "origin 0 4",
        "rect 38 22 192 276.5 pen 4",
        "text 77 50 G 28 B 工 事 写 真 帳",
        "text 54 82 G 16 B 工事番号",
        "text 87.5 82.5 M 14 R 平成\u300018 年度",
        "text 147 82.5 M 14 R 工第\u3000123 号",
        "line 54 90 174 90 pen 2",
        "text 54 111 G 16 B 工 事 名",
        "text 87.5 111.5 M 14 R 市道１号線道路改良工事",
        "line 54 119 174 119 pen 2",
        "text 54 140 G 16 B 工事場所",
        "text 87.5 140.5 M 14 R ○○市△△町",
        "line 54 148 174 148 pen 2",
        "text 54 169 G 16 B 工\u3000\u3000期",
        "text 83 169.5 M 14 R 着",
        "text 100 169.5 M 14 R 工",
        "text 113 169.5 M 14 R 平成",
        "text 126.5 169.5 M 14 R 17",
        "text 133.5 169.5 M 14 R 年",
        "text 147.5 169.5 M 14 R 4",
        "text 151 169.5 M 14 R 月",
        "text 164 169.5 M 14 R 1",
        "text 167 169.5 M 14 R 日",
        "line 77 177 174 177 pen 2",
        "text 83 190 M 14 R 竣",
        "text 100 190 M 14 R 工",
        "text 113 190 M 14 R 平成",
        "text 126.5 190 M 14 R 18",
        "text 133.5 190 M 14 R 年",
        "text 144 190 M 14 R 12",
        "text 151 190 M 14 R 月",
        "text 160.5 190 M 14 R 25",
        "text 167 190 M 14 R 日",
        "line 77 198 174 198 pen 2",
        "text 54 247 G 16 B 工事施工者",
        "text 87.5 247.5 M 14 R 株式会社山田建設",
        "line 54 256 174 256 pen 2",
        "text 54 258.5 M 14 R 提出年月日",
        "text 87.5 258.5 M 14 R 平成",
        "text 102 258.5 M 14 R 19",
        "text 109.5 258.5 M 14 R 年",
        "text 123 258.5 M 14 R 3",
        "text 127 258.5 M 14 R 月",
        "text 143.5 258.5 M 14 R 7",
        "text 147 258.5 M 14 R 日",
        "newpage",
    };
    QCOMPARE(printed(cover({ "18", "123", "市道１号線道路改良工事", "○○市△△町", "17", "4", "1",
                 "18", "12", "25", "株式会社山田建設", "19", "3", "7" })),
        expected);
}

// The places that depend on the value (the sample above has the others): a
// month or day moves by the number it starts with (" 10" and "11月" count as
// 10 and 11, an empty one as 0); empty fields print empty texts and keep the
// blanks of the texts they are part of.
void TestCoverPage::valueDependentPlaces()
{
    const QStringList elements
        = printed(cover({ "", "", "", "", "", "11月", " 10", "", "", "", "", "", "11", "25" }));
    QCOMPARE(elements.size(), 46);
    const QStringList expected = {
        "text 87.5 82.5 M 14 R 平成\u3000 年度",
        "text 144 169.5 M 14 R 11月",
        "text 160.5 169.5 M 14 R  10",
        "text 147.5 190 M 14 R ",
        "text 164 190 M 14 R ",
        "text 118 258.5 M 14 R 11",
        "text 140 258.5 M 14 R 25",
    };
    QCOMPARE((QStringList { elements[4], elements[19], elements[21], elements[29], elements[31],
                 elements[41], elements[43] }),
        expected);
}

// The era the user chose reaches the printed album's cover and changes the
// four era names only: catches a name left as 平成, a number recomputed from
// the era, and a print that ignores the choice.
void TestCoverPage::eraNamesTheYears_data()
{
    QTest::addColumn<Era>("era");
    QTest::addColumn<QString>("name");
    QTest::newRow("平成") << Era::Heisei << QStringLiteral("平成");
    QTest::newRow("令和") << Era::Reiwa << QStringLiteral("令和");
}

void TestCoverPage::eraNamesTheYears()
{
    QFETCH(Era, era);
    QFETCH(QString, name);
    Document album;
    album.entries.reset_table();
    album.cover = cover({ "38", "123", "", "", "7", "4", "1", "8", "3", "31", "", "8", "4", "5" });

    RecordingPrintDevice device;
    const PhotoSource noPhotos = [](const QString&, const QSize&) { return Picture {}; };
    PrintOptions options;
    options.era = era;
    QVERIFY(print_album(device, album, noPhotos, {}, options).ok());
    QStringList elements = drawnElements(device.calls());
    elements = elements.mid(0, elements.indexOf(QStringLiteral("newpage")) + 1);

    QStringList expected = printed(album.cover); // as the cover has always printed
    const int named[] = { 4, 16, 26, 38 };
    QCOMPARE(expected.at(4), QStringLiteral("text 87.5 82.5 M 14 R 平成\u300038 年度"));
    for (const int i : named)
        expected[i].replace(QStringLiteral("平成"), name);
    QCOMPARE(elements, expected);
    QCOMPARE(elements.filter(name).size(), 4);
    QCOMPARE(elements.at(38), QStringLiteral("text 87.5 258.5 M 14 R ") + name);
}

void TestCoverPage::fullWidthDigitsPlaceLikeDigits_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("monthX");
    QTest::addColumn<QString>("dayX");
    QTest::newRow("two full-width digits") << "１２" << "２５" << "144" << "160.5";
    QTest::newRow("one full-width digit") << "４" << "９" << "147.5" << "164";
    QTest::newRow("ideographic space first") << "\u3000１０" << "\u3000３" << "144" << "164";
    QTest::newRow("full-width digits then 月") << "１１月" << "３１日" << "144" << "160.5";
    QTest::newRow("mixed widths") << "1２" << "２1" << "144" << "160.5";
    QTest::newRow("full-width letters") << "ＡＢ" << "" << "147.5" << "164";
}

// Catches full-width digits, typed with the input method on, being read as
// no number and so placed as one digit over the 月 and 日 that follow; the
// text itself is printed as typed.
void TestCoverPage::fullWidthDigitsPlaceLikeDigits()
{
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, monthX);
    QFETCH(QString, dayX);
    const QStringList elements
        = printed(cover({ "", "", "", "", "", month, day, "", "", "", "", "", "", "" }));
    QCOMPARE(elements[19], QStringLiteral("text %1 169.5 M 14 R %2").arg(monthX, month));
    QCOMPARE(elements[21], QStringLiteral("text %1 169.5 M 14 R %2").arg(dayX, day));
}

QTEST_GUILESS_MAIN(TestCoverPage)
#include "tst_coverpage.moc"
