#include "check/albumcheck.h"
#include "model/document.h"
#include "print/fontsubstitutes.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "brokenphotos.h"
#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

class TestAlbumCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void findsWhatWillNotPrint_data();
    void findsWhatWillNotPrint();
    void rangeLimitsTheCheck();

private:
    QString file(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void TestAlbumCheck::initTestCase()
{
    install_font_substitutes();
    const QImage photo = solidPhoto(QSize(40, 30), Qt::green);
    QVERIFY(photo.save(file("a.png")));
    QVERIFY(photo.save(file("b.jpg")));
    for (const PhotoCase& c : photosCutShortOrNot())
        QVERIFY(writeAll(file(c.name), c.bytes));
    QFile text(file("notes.jpg"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("these are notes, not a photo\n");
}

// Each row is an album of entries "title|text|image" (an image "@x" is the
// file x of the test folder) and the problems expected, as "No.N:" followed
// by a piece of the message; a row that should pass expects nothing. Sizes are
// measured with the IPA Mincho the print uses: its full-width characters are
// one em wide (11 pt = 3.87 mm at 1200 dpi for titles, 10 pt = 3.53 mm for text), and the
// column is 46.5 mm wide with room for 11 text lines.
void TestAlbumCheck::findsWhatWillNotPrint_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("expected");

    const QString lines11 = QStringList(11, QStringLiteral("行")).join(QStringLiteral("\r\n"));
    const QString lines12 = QStringList(12, QStringLiteral("行")).join(QStringLiteral("\r\n"));

    QTest::newRow("clean album")
        << QStringList { "基礎配筋|配筋状況|@a.png", "型枠|D13@200|@b.jpg", "||" }
        << QStringList();
    QTest::newRow("photo missing")
        << QStringList { "|| /nowhere/IMG_0001.JPG", "||", "||" }
        << QStringList { "No.1:見つかりません" };
    QTest::newRow("not a picture") << QStringList { "||@notes.jpg", "||", "||" }
                                   << QStringList { "No.1:写真ファイルではない" };
    QTest::newRow("title of 11 characters fits")
        << QStringList { QStringLiteral("あいうえおかきくけこさ||@a.png"), "||", "||" }
        << QStringList();
    QTest::newRow("title of 13 characters is cut by one")
        << QStringList { QStringLiteral("あいうえおかきくけこさしす||@a.png"), "||", "||" }
        << QStringList { "No.1:終わりの 1 文字" };
    QTest::newRow("text line of 13 characters fits")
        << QStringList { QStringLiteral("|あいうえおかきくけこさしす|@a.png"), "||", "||" }
        << QStringList();
    QTest::newRow("text line of 14 characters is cut")
        << QStringList { QStringLiteral("|一\r\nあいうえおかきくけこさしすせ|@a.png"), "||", "||" }
        << QStringList { "No.1:文章の 2 行目が欄の幅より" };
    QTest::newRow("11 text lines fit") << QStringList { "|" + lines11 + "|@a.png", "||", "||" }
                                       << QStringList();
    QTest::newRow("12 text lines are one too many")
        << QStringList { "|" + lines12 + "|@a.png", "||", "||" }
        << QStringList { "No.1:終わりの 1 行" };
    QTest::newRow("character without glyph nor Shift-JIS code")
        << QStringList { QStringLiteral("足場\U0001F600|ok|@a.png"), "||", "||" }
        << QStringList { "No.1:空の四角", "No.1:Shift-JIS" };
    QTest::newRow("same photo twice")
        << QStringList { "||@a.png", "||@b.jpg", "||@a.png" }
        << QStringList { "No.3:No. 1 にも" };
    QTest::newRow("empty page between photos")
        << QStringList { "||@a.png", "||", "||", "||", "||", "||", "||@b.jpg", "||", "||", "||",
               "||", "||" }
        << QStringList { "No.4:2 ページには写真が一枚もない" };
    QTest::newRow("title without photo")
        << QStringList { "||@a.png", "床掘り|深さ 1.2m|", "||" }
        << QStringList { "No.2:写真がありません" };
    // Printing stops at a photo cut short; one that prints is not named.
    for (const PhotoCase& c : photosCutShortOrNot())
        QTest::addRow("photo %s", c.name)
            << QStringList { QStringLiteral("||@") + c.name, "||", "||" }
            << (c.prints ? QStringList() : QStringList { "No.1:印刷できません" });
}

void TestAlbumCheck::findsWhatWillNotPrint()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);
    Document document;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QStringList f = entries.at(i).split('|');
        QString image = f.at(2).trimmed();
        if (image.startsWith('@'))
            image = file(image.mid(1));
        document.entries.append_entry(number_text(i + 1), f.at(0), f.at(1), image);
    }
    const QList<CheckProblem> problems = AlbumCheck::run(document);
    QStringList found;
    for (const CheckProblem& p : problems)
        found << p.toString();
    QCOMPARE(found.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString prefix = expected.at(i).section(':', 0, 0) + QStringLiteral(": ");
        const QString piece = expected.at(i).section(':', 1);
        QVERIFY2(found.at(i).startsWith(prefix) && found.at(i).contains(piece),
            qPrintable(found.join('\n')));
    }
}

// Printing one page checks that page alone, and a range from page 1 the
// cover too: a cover field Shift-JIS cannot hold is found only then.
void TestAlbumCheck::rangeLimitsTheCheck()
{
    Document document;
    document.cover.setField(CoverField::ProjectName, QStringLiteral("工事\U0001F600"));
    for (int i = 1; i <= 6; ++i)
        document.entries.append_entry(number_text(i), {}, {},
            i == 1 ? file("a.png") : i == 5 ? QStringLiteral("/nowhere/5.jpg") : QString());
    QStringList whole;
    for (const CheckProblem& p : AlbumCheck::run(document))
        whole << p.toString();
    QVERIFY2(whole.size() == 3 && whole.at(0).startsWith("表紙: 工事名")
            && whole.at(2).startsWith("No.5: "),
        qPrintable(whole.join('\n')));
    const QList<CheckProblem> page2 = AlbumCheck::run(document, 2, 2);
    QCOMPARE(page2.size(), 1);
    QCOMPARE(page2.first().entry, 5);
    QVERIFY(AlbumCheck::run(document, 1, 1).size() == 2);

    // Page 2 without photos prints as an empty sheet in the album, but in
    // full on its own.
    document.entries.set_field(5, EntryField::Image, {});
    document.entries.append_entry(number_text(7), {}, {}, file("b.jpg"));
    document.entries.append_entry(number_text(8), {}, {}, {});
    document.entries.append_entry(number_text(9), {}, {}, {});
    QCOMPARE(AlbumCheck::run(document, 2, 2).size(), 1);
    QVERIFY(AlbumCheck::run_single_page(document, 2).isEmpty());
}

QTEST_MAIN(TestAlbumCheck)
#include "tst_albumcheck.moc"
