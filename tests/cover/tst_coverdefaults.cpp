#include "cover/corpini.h"
#include "cover/coverdefaults.h"

#include <QTest>

using namespace zk;

class TestCoverDefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void datesAndCompanyDefaults_data();
    void datesAndCompanyDefaults();
};

void TestCoverDefaults::datesAndCompanyDefaults_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QByteArray>("corp");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<Era>("era");
    QTest::newRow("no corp.ini, 2006")
        << QDate(2006, 4, 5) << QByteArray()
        << QStringList { "18", "", "", "", "18", "4", "", "18", "4", "", "", "18", "4", "5" }
        << Era::Heisei;
    QTest::newRow("past the era, december")
        << QDate(2026, 12, 7) << QByteArray()
        << QStringList { "38", "", "", "", "38", "12", "", "38", "12", "", "", "38", "12", "7" }
        << Era::Heisei;
    QTest::newRow("all four company defaults")
        << QDate(2019, 1, 31)
        << QStringLiteral("[工事番号]\n工第=12\n[工事名]\n名称=橋梁補修\n[工事場所]\n所在=川辺町\n"
                          "[工事施工者]\n会社名=山田建設\n")
               .toUtf8()
        << QStringList { "31", "12", "橋梁補修", "川辺町", "31", "1", "", "31", "1", "", "山田建設",
               "31", "1", "31" }
        << Era::Heisei;
    QTest::newRow("contractor only, one empty")
        << QDate(2006, 4, 5)
        << QStringLiteral("[工事施工者]\n会社名=山田建設\n[工事名]\n名称=\n").toUtf8()
        << QStringList { "18", "", "", "", "18", "4", "", "18", "4", "", "山田建設", "18", "4",
               "5" }
        << Era::Heisei;
    // 令和 counts from 2019; a day in its first year is year 1.
    QTest::newRow("令和, december")
        << QDate(2026, 12, 7) << QByteArray()
        << QStringList { "8", "", "", "", "8", "12", "", "8", "12", "", "", "8", "12", "7" }
        << Era::Reiwa;
    QTest::newRow("令和, its first year")
        << QDate(2019, 5, 1) << QByteArray()
        << QStringList { "1", "", "", "", "1", "5", "", "1", "5", "", "", "1", "5", "1" }
        << Era::Reiwa;
}

void TestCoverDefaults::datesAndCompanyDefaults()
{
    QFETCH(QDate, date);
    QFETCH(QByteArray, corp);
    QFETCH(QStringList, fields);
    QFETCH(Era, era);
    const CoverData cover = cover_defaults(date, CorpIni::parse(corp), era);
    QStringList lines;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        lines << cover.line(n);
    QCOMPARE(lines, fields);
}

QTEST_GUILESS_MAIN(TestCoverDefaults)
#include "tst_coverdefaults.moc"
