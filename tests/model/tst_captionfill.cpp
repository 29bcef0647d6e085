#include "docfile/cp932codec.h"
#include "model/captionfill.h"
#include "docfile/phrasefile.h"
#include "model/phrasestore.h"

#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

using namespace zk;

namespace {

// Two pages; entry k titled by the k-th letter of `titles` ('-' for none).
EntryTable table(const QString& titles)
{
    EntryTable t;
    t.reset_table();
    t.append_page();
    for (int i = 1; i <= 6; ++i) {
        const QChar c = titles.at(i - 1);
        if (c != u'-') {
            t.set_field(i, EntryField::Title, QString(c));
            t.set_field(i, EntryField::Text, QString(c) + QStringLiteral("\r\n説明"));
            t.set_field(i, EntryField::Image, QStringLiteral("/p/%1.jpg").arg(i));
        }
    }
    return t;
}

} // namespace

class TestCaptionFill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bulkNumbering_data();
    void bulkNumbering();
    void choicesMostUsedFirst();
    void phraseBeginningWithAMarkKeepsIt();
    void phraseFileRoundTrip_data();
    void phraseFileRoundTrip();
};

// Catches a wrong count (start, step, order of the positions), a pattern
// that is not replaced or replaced where it should not be, fields the user
// left blank being touched, and unchanged entries reported as changed.
void TestCaptionFill::bulkNumbering_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QString>("title"); // "~" for a field left blank
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("expected"); // "position:title|text|image"

    QTest::newRow("text numbered, title untouched")
        << QList<int> { 5, 2, 4 } << "~" << QStringLiteral("測点No.{n}") << 10 << 5
        << QStringList { QStringLiteral("2:B|測点No.10|/p/2.jpg"), QStringLiteral("4:|測点No.15|"),
               QStringLiteral("5:E|測点No.20|/p/5.jpg") };
    QTest::newRow("padded, negative step, both fields")
        << QList<int> { 1, 2 } << QStringLiteral("No.{n:3}") << QStringLiteral("{n}と{n}") << 1
        << -2
        << QStringList { QStringLiteral("1:No.001|1と1|/p/1.jpg"),
               QStringLiteral("2:No.-001|-1と-1|/p/2.jpg") };
    QTest::newRow("no placeholder, other braces kept")
        << QList<int> { 3, 6 } << QStringLiteral("{x}{N}") << "~" << 1 << 1
        << QStringList { QStringLiteral("3:{x}{N}||"), QStringLiteral("6:{x}{N}||") };
    QTest::newRow("unchanged entries left out")
        << QList<int> { 1, 2, 3 } << QStringLiteral("B") << "~" << 1 << 1
        << QStringList { QStringLiteral("1:B|A\r\n説明|/p/1.jpg"), QStringLiteral("3:B||") };
}

void TestCaptionFill::bulkNumbering()
{
    QFETCH(QList<int>, positions);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(QStringList, expected);
    BulkCaption caption;
    if (title != u"~")
        caption.title = title;
    if (text != u"~")
        caption.text = text;
    caption.start = start;
    caption.step = step;
    const QMap<int, EntryContent> contents
        = bulk_caption_contents(table(QStringLiteral("AB--E-")), positions, caption);
    QStringList got;
    for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
        got << QStringLiteral("%1:%2|%3|%4")
                   .arg(it.key())
                   .arg(it.value().title, it.value().text, it.value().image);
    }
    QCOMPARE(got, expected);
}

void TestCaptionFill::choicesMostUsedFirst()
{
    // Titles B ×3, A ×2 (first seen earlier), C ×2: B, then A and C in order of appearance.
    EntryTable t = table(QStringLiteral("ABCBAB"));
    t.append_page();
    t.set_field(7, EntryField::Title, QStringLiteral("C"));
    QCOMPARE(titles_by_use(t), (QStringList { "B", "A", "C" }));
    // The user's phrases come first in their own order; no choice twice.
    QCOMPARE(phrase_choices({ QStringLiteral("立会"), QStringLiteral("C") }, t),
        (QStringList { QStringLiteral("立会"), "C", "B", "A" }));
}

// The list survives save and load; imports read UTF-8 (with or without the
// mark) and Shift-JIS; blanks, empty lines and repeats go; characters that
// Shift-JIS cannot hold are kept in the list.
void TestCaptionFill::phraseFileRoundTrip_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");

    const QStringList phrases { QStringLiteral("配筋状況"), QStringLiteral("立会者: 監督員"),
        QStringLiteral("測点No.") };
    QTest::newRow("UTF-8") << QStringLiteral("配筋状況\n立会者: 監督員\n測点No.\n").toUtf8()
                           << phrases;
    QTest::newRow("UTF-8 mark, CR LF, blanks, repeats") << QByteArray("\xEF\xBB\xBF")
            + QStringLiteral("  配筋状況 \r\n\r\n立会者: 監督員\r\n配筋状況\r\n測点No.").toUtf8()
                                                        << phrases;
    QByteArray sjis;
    Cp932Codec::instance().encode(
        QStringLiteral("配筋状況\r\n立会者: 監督員\r\n測点No.\r\n"), sjis);
    QTest::newRow("Shift-JIS") << sjis << phrases;
    QTest::newRow("beyond Shift-JIS")
        << QStringLiteral("🏗 現場\n髙橋\n").toUtf8()
        << QStringList { QStringLiteral("🏗 現場"), QStringLiteral("髙橋") };
}

void TestCaptionFill::phraseFileRoundTrip()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("import.txt"));
    QVERIFY(writeAll(source, file));
    const PhraseList imported = PhraseFile::import_file(source);
    QVERIFY2(imported.ok(), qPrintable(imported.message));
    QCOMPARE(imported.phrases, expected);

    const QString own = dir.filePath(QStringLiteral("zelkora/phrases.txt"));
    QCOMPARE(PhraseFile::load(own).phrases, QStringList()); // no file yet: no phrases
    QCOMPARE(PhraseFile::save(imported.phrases, own), QString());
    QCOMPARE(readAll(own), (expected.join(u'\n') + u'\n').toUtf8());
    QCOMPARE(PhraseFile::load(own).phrases, expected);

    // A place that cannot hold the file is refused with its name; nothing is lost.
    const QString folder = dir.filePath(QStringLiteral("zelkora"));
    QVERIFY(PhraseFile::save(expected, folder).startsWith(folder));
    QCOMPARE(PhraseFile::load(own).phrases, expected);
}

// The mark in front of a file is not part of its first phrase, but a
// phrase's own U+FEFF is.
void TestCaptionFill::phraseBeginningWithAMarkKeepsIt()
{
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("phrases.txt"));
    const QStringList phrases { QStringLiteral("\uFEFF配筋"), QStringLiteral("型枠") };
    QCOMPARE(PhraseFile::save(phrases, own), QString());
    QCOMPARE(PhraseFile::load(own).phrases, phrases);
}

QTEST_GUILESS_MAIN(TestCaptionFill)
#include "tst_captionfill.moc"
