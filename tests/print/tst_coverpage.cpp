#include "drawnelements.h"

#include "model/coverdata.h"
#include "print/coverpage.h"

#include <QTest>

using namespace zk;

namespace {

CoverData sampleCover()
{
    CoverData c;
    c.setField(CoverField::FiscalYear, QStringLiteral("18"));
    c.setField(CoverField::ProjectNumber, QStringLiteral("123"));
    c.setField(CoverField::ProjectName, QStringLiteral("市道１号線道路改良工事"));
    c.setField(CoverField::ProjectSite, QStringLiteral("○○市△△町"));
    c.setField(CoverField::StartYear, QStringLiteral("17"));
    c.setField(CoverField::StartMonth, QStringLiteral("4"));
    c.setField(CoverField::StartDay, QStringLiteral("1"));
    c.setField(CoverField::CompletionYear, QStringLiteral("18"));
    c.setField(CoverField::CompletionMonth, QStringLiteral("12"));
    c.setField(CoverField::CompletionDay, QStringLiteral("25"));
    c.setField(CoverField::Contractor, QStringLiteral("株式会社山田建設"));
    c.setField(CoverField::SubmissionYear, QStringLiteral("19"));
    c.setField(CoverField::SubmissionMonth, QStringLiteral("3"));
    c.setField(CoverField::SubmissionDay, QStringLiteral("7"));
    return c;
}

RecordingPrintDevice printed(const CoverData& cover)
{
    RecordingPrintDevice device;
    print_cover(device, cover);
    return device;
}

} // namespace

class TestCoverPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyElement_data();
    void everyElement();
    void callOrder();
    void fieldValues_data();
    void fieldValues();
};

// The sample cover drawn element by element, in drawing order; catches a
// wrong position, font, size, weight, pen, text or order of any element.
void TestCoverPage::everyElement_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    const QStringList table = {
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
    // The last row stands for the length: nothing is drawn beyond the table.
    for (int i = 0; i < table.size(); ++i)
        QTest::addRow("%02d %s", i, qPrintable(table.at(i))) << i << table.at(i);
    QTest::addRow("count") << -1 << QString::number(table.size());
}

void TestCoverPage::everyElement()
{
    QFETCH(int, index);
    QFETCH(QString, expected);
    const QStringList elements = drawnElements(printed(sampleCover()).calls());
    if (index < 0)
        QCOMPARE(QString::number(elements.size()), expected);
    else
        QCOMPARE(elements.value(index), expected);
}

// The settings around the elements: the frame's pen before the frame, every
// text preceded by x and y, font name, size and weight in this order (also
// when they repeat), and pen 1 before the closing page break.
void TestCoverPage::callOrder()
{
    const QStringList log = printed(sampleCover()).log();
    QCOMPARE(
        log.mid(0, 4), (QStringList { "origin 0 4", "pen 4", "rect 38 22 192 276.5", "pen 2" }));
    QCOMPARE(log.mid(log.size() - 2), (QStringList { "pen 1", "newpage" }));
    int texts = 0;
    for (int i = 0; i < log.size(); ++i) {
        if (!log.at(i).startsWith(QLatin1String("text ")))
            continue;
        ++texts;
        QVERIFY2(i >= 4, qPrintable(log.at(i)));
        const QStringList before = log.mid(i - 4, 4);
        QVERIFY2(before.at(0).startsWith(QLatin1String("pos ")) && before.at(1).startsWith("font ")
                && before.at(2).startsWith("size ") && before.at(3).startsWith("bold "),
            qPrintable(before.join(QLatin1String(" | ")) + QLatin1String(" before ") + log.at(i)));
    }
    QCOMPARE(texts, 37);
}

// Month and day values move right when below 10, judged by the number the
// field starts with; years never move; empty fields print nothing but keep
// their fixed neighbours; the two concatenated texts keep their blanks.
void TestCoverPage::fieldValues_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    const auto row = [](const char* name, CoverField f, const QString& value, int index,
                         const QString& expected) {
        QTest::newRow(name) << int(f) << value << index << expected;
    };
    row("start month 9", CoverField::StartMonth, "9", 19, "text 147.5 169.5 M 14 R 9");
    row("start month 10", CoverField::StartMonth, "10", 19, "text 144 169.5 M 14 R 10");
    row("start month 12", CoverField::StartMonth, "12", 19, "text 144 169.5 M 14 R 12");
    row("start month empty", CoverField::StartMonth, "", 19, "text 147.5 169.5 M 14 R ");
    row("start month letter", CoverField::StartMonth, "a", 19, "text 147.5 169.5 M 14 R a");
    row("start month blank then 12", CoverField::StartMonth, " 12", 19,
        "text 144 169.5 M 14 R  12");
    row("start month digits then text", CoverField::StartMonth, "11月", 19,
        "text 144 169.5 M 14 R 11月");
    row("start month negative", CoverField::StartMonth, "-12", 19, "text 147.5 169.5 M 14 R -12");
    row("start day 9", CoverField::StartDay, "9", 21, "text 164 169.5 M 14 R 9");
    row("start day 10", CoverField::StartDay, "10", 21, "text 160.5 169.5 M 14 R 10");
    row("start year not shifted", CoverField::StartYear, "5", 17, "text 126.5 169.5 M 14 R 5");
    row("completion month 3", CoverField::CompletionMonth, "3", 29, "text 147.5 190 M 14 R 3");
    row("completion day 9", CoverField::CompletionDay, "9", 31, "text 164 190 M 14 R 9");
    row("completion day empty", CoverField::CompletionDay, "", 31, "text 164 190 M 14 R ");
    row("completion day empty keeps 日", CoverField::CompletionDay, "", 32,
        "text 167 190 M 14 R 日");
    row("submission month 3", CoverField::SubmissionMonth, "3", 41, "text 123 258.5 M 14 R 3");
    row("submission month 11", CoverField::SubmissionMonth, "11", 41, "text 118 258.5 M 14 R 11");
    row("submission day 7", CoverField::SubmissionDay, "7", 43, "text 143.5 258.5 M 14 R 7");
    row("submission day 25", CoverField::SubmissionDay, "25", 43, "text 140 258.5 M 14 R 25");
    row("fiscal year empty", CoverField::FiscalYear, "", 4,
        "text 87.5 82.5 M 14 R 平成\u3000 年度");
    row("project number empty", CoverField::ProjectNumber, "", 5,
        "text 147 82.5 M 14 R 工第\u3000 号");
    row("project name empty", CoverField::ProjectName, "", 8, "text 87.5 111.5 M 14 R ");
    const QString longName = QString(QStringLiteral("長い工事名")).repeated(30);
    row("project name far wider than the frame", CoverField::ProjectName, longName, 8,
        "text 87.5 111.5 M 14 R " + longName);
}

void TestCoverPage::fieldValues()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    QFETCH(int, index);
    QFETCH(QString, expected);
    CoverData cover = sampleCover();
    cover.setField(CoverField(field), value);
    const QStringList elements = drawnElements(printed(cover).calls());
    QCOMPARE(elements.size(), 46);
    QCOMPARE(elements.value(index), expected);
}

QTEST_GUILESS_MAIN(TestCoverPage)
#include "tst_coverpage.moc"
