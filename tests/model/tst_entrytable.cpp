#include "model/entrytable.h"

#include <QTest>

using namespace zk;

class TestEntryTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resetGivesOneEmptyNumberedPage();
    void entryIndex_data();
    void entryIndex();
    void pageGrowthNumbersAfterLastPage_data();
    void pageGrowthNumbersAfterLastPage();
    void refusesToGrowPastTheLimit();
    void insertAndTakeOutMoveContentsNotNumbers_data();
    void insertAndTakeOutMoveContentsNotNumbers();
};

// A table that starts anew must not keep entries of the old document.
void TestEntryTable::resetGivesOneEmptyNumberedPage()
{
    EntryTable table;
    table.append_entry(QStringLiteral(" 1"), QStringLiteral("old"), {}, {});
    table.reset_table();
    QCOMPARE(table.entry_count(), 3);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(table.get_field(i, EntryField::Number), QLatin1Char(' ') + QString::number(i));
        QVERIFY(table.entry(i).isEmpty());
    }
    QCOMPARE(table.page_count(), 1);
}

void TestEntryTable::entryIndex_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("index");
    QTest::newRow("first") << 1 << 0 << 1;
    QTest::newRow("last of page 1") << 1 << 2 << 3;
    QTest::newRow("page 4 slot 1") << 4 << 1 << 11;
    QTest::newRow("last possible") << 10922 << 2 << 32766;
}

void TestEntryTable::entryIndex()
{
    QFETCH(int, page);
    QFETCH(int, slot);
    QFETCH(int, index);
    QCOMPARE(entry_index(page, slot), index);
}

void TestEntryTable::pageGrowthNumbersAfterLastPage_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("numbers");
    QTest::newRow("from one page") << 1 << QStringList { " 4", " 5", " 6" };
    QTest::newRow("from three pages") << 3 << QStringList { " 10", " 11", " 12" };
}

void TestEntryTable::pageGrowthNumbersAfterLastPage()
{
    QFETCH(int, pages);
    QFETCH(QStringList, numbers);
    EntryTable table;
    table.reset_table();
    while (table.page_count() < pages)
        QVERIFY(table.append_page());
    QVERIFY(table.append_page());
    QCOMPARE(table.entry_count(), 3 * (pages + 1));
    for (int k = 0; k < 3; ++k) {
        const int i = 3 * pages + 1 + k;
        QCOMPARE(table.get_field(i, EntryField::Number), numbers.at(k));
        QVERIFY(table.entry(i).isEmpty());
    }
}

// Past the limit insert and extract would overflow their positions.
void TestEntryTable::refusesToGrowPastTheLimit()
{
    EntryTable table;
    table.reset_table();
    while (table.entry_count() < EntryTable::MaxEntries - 3)
        QVERIFY(table.append_page());
    QVERIFY(table.append_page());
    QCOMPARE(table.entry_count(), 32766);
    QCOMPARE(table.get_field(32766, EntryField::Number), QStringLiteral(" 32766"));

    QVERIFY(!table.append_page());
    QVERIFY(!table.append_entry(QStringLiteral(" 32767"), {}, {}, {}));
    QCOMPARE(table.entry_count(), 32766);
}

void TestEntryTable::insertAndTakeOutMoveContentsNotNumbers_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("position");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("insert at 2") << true << 2 << QStringList { "A", "", "B", "C", "D", "E" };
    QTest::newRow("insert at the end") << true << 6 << QStringList { "A", "B", "C", "D", "E", "" };
    QTest::newRow("take out 2") << false << 2 << QStringList { "A", "C", "D", "E", "", "" };
    QTest::newRow("take out the first of page 2")
        << false << 4 << QStringList { "A", "B", "C", "E", "", "" };
    QTest::newRow("take out the last") << false << 6 << QStringList { "A", "B", "C", "D", "E", "" };
}

void TestEntryTable::insertAndTakeOutMoveContentsNotNumbers()
{
    QFETCH(bool, insert);
    QFETCH(int, position);
    QFETCH(QStringList, titles);
    EntryTable table;
    const QStringList start { "A", "B", "C", "D", "E", "" };
    for (int i = 1; i <= 6; ++i) {
        const QString t = start.at(i - 1);
        table.append_entry(number_text(i), t,
            t.isEmpty() ? QString() : t + QStringLiteral("\r\ntext"),
            t.isEmpty() ? QString() : QStringLiteral("/p/%1.jpg").arg(t));
    }
    if (insert)
        table.insert_place(position);
    else
        table.take_out(position);
    for (int i = 1; i <= 6; ++i) {
        const QString t = titles.at(i - 1);
        QCOMPARE(table.get_field(i, EntryField::Number), number_text(i));
        QCOMPARE(table.get_field(i, EntryField::Title), t);
        // Text and image file travel with their title.
        QCOMPARE(table.get_field(i, EntryField::Text),
            t.isEmpty() ? QString() : t + QStringLiteral("\r\ntext"));
        QCOMPARE(table.get_field(i, EntryField::Image),
            t.isEmpty() ? QString() : QStringLiteral("/p/%1.jpg").arg(t));
    }
}

QTEST_GUILESS_MAIN(TestEntryTable)
#include "tst_entrytable.moc"
