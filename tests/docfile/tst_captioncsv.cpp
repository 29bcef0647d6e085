#include "docfile/captioncsv.h"
#include "docfile/cp932codec.h"
#include "docfile/documentwriter.h"
#include "model/album.h"

#include <QTemporaryDir>
#include <QTest>

#include "documentbytes.h"
#include "testfiles.h"

using namespace zk;

namespace {

// Two pages; entries 1 and 2 captioned, the rest empty.
Document album()
{
    Document d;
    d.entries.reset_table();
    d.entries.append_page();
    d.entries.set_field(1, EntryField::Title, QStringLiteral("基礎配筋"));
    d.entries.set_field(1, EntryField::Text, QStringLiteral("配筋状況\r\nかぶり確認"));
    d.entries.set_field(1, EntryField::Image, QStringLiteral("/写真/P0001.JPG"));
    d.entries.set_field(2, EntryField::Title, QStringLiteral("型枠"));
    return d;
}

QByteArray sjis(const QString& text)
{
    QByteArray out;
    Cp932Codec::instance().encode(text, out);
    return out;
}

// The album after importing csv through the album's one step.
Document imported(const Document& start, const QByteArray& csv, int* changed, int* pages)
{
    Album a;
    a.replace_document(start, {});
    const CsvReadResult read = parse_caption_csv(csv);
    const CaptionImportPlan plan = plan_caption_import(a.entries(), read.rows);
    *changed = plan.changed;
    *pages = plan.pagesAdded;
    if (read.ok() && plan.ok() && !plan.contents.isEmpty())
        a.set_contents(plan.contents, QStringLiteral("CSV"));
    return a.document();
}

} // namespace

class TestCaptionCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripKeepsEveryCharacter_data();
    void roundTripKeepsEveryCharacter();
    void importMatchesColumnsByHeader_data();
    void importMatchesColumnsByHeader();
    void refusedImportsChangeNothing_data();
    void refusedImportsChangeNothing();
    void largeFilesAreRefusedBeforeReading();
    void informationTravelsInItsColumns_data();
    void informationTravelsInItsColumns();
};

// Export then import must give the album back unchanged: catches lost
// quoting of commas, quotes and line breaks, a CR LF turned into LF, blanks
// trimmed, a missing or doubled byte-order mark, and Shift-JIS mistakes.
void TestCaptionCsv::roundTripKeepsEveryCharacter_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("shiftJis");
    const QList<std::tuple<const char*, QString, QString, QString>> rows = {
        { "plain", QStringLiteral("基礎配筋"), QStringLiteral("配筋状況"),
            QStringLiteral("/p/1.jpg") },
        { "comma and quotes", QStringLiteral("A,B"), QStringLiteral("彼は\"良い\"と言った"),
            QStringLiteral("/p/a,\"b\".jpg") },
        { "CR LF inside", QStringLiteral("t"), QStringLiteral("一行目\r\n\r\n三行目\r\n"), {} },
        { "lone CR kept", QStringLiteral("t"), QStringLiteral("a\rb"), {} },
        { "blanks around", QStringLiteral(" 前後 "), QStringLiteral("\u3000全角\u3000"), {} },
        { "formula-like and BR", QStringLiteral("=1+2"), QStringLiteral("<BR>そのまま"), {} },
    };
    for (const auto& [name, title, text, image] : rows) {
        for (const bool s : { false, true })
            QTest::addRow("%s %s", name, s ? "sjis" : "utf8") << title << text << image << s;
    }
}

void TestCaptionCsv::roundTripKeepsEveryCharacter()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, image);
    QFETCH(bool, shiftJis);
    Document source = album();
    source.entries.set_field(4, EntryField::Title, title);
    source.entries.set_field(4, EntryField::Text, text);
    source.entries.set_field(4, EntryField::Image, image);

    const CsvExportResult csv
        = encode_caption_csv(source.entries, shiftJis ? CsvEncoding::ShiftJis : CsvEncoding::Utf8);
    QVERIFY2(csv.ok(), qPrintable(csv.message));
    QCOMPARE(csv.bytes.startsWith("\xEF\xBB\xBF"), !shiftJis);
    QVERIFY(csv.bytes.contains(shiftJis
            ? sjis(QStringLiteral("番号,タイトル,説明,写真ファイル\r\n"))
            : QStringLiteral("番号,タイトル,説明,写真ファイル\r\n").toUtf8()));

    // Into the same album: nothing changes.
    int changed = -1, pages = -1;
    QCOMPARE(bytesOf(imported(source, csv.bytes, &changed, &pages)), bytesOf(source));
    QCOMPARE(changed, 0);
    // Into an empty album of one page: every caption arrives, pages grow.
    Document empty;
    empty.entries.reset_table();
    empty.cover = source.cover;
    const Document filled = imported(empty, csv.bytes, &changed, &pages);
    QCOMPARE(bytesOf(filled), bytesOf(source));
    QCOMPARE(changed, 3);
    QCOMPARE(pages, 1);
}

// Columns are found by name in any order and in either language; other
// columns are ignored, missing ones and empty cells leave the entry alone,
// empty lines are no rows, a lone LF becomes the album's CR LF.
void TestCaptionCsv::importMatchesColumnsByHeader_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("expected"); // title|text|image of entries 1..3
    QTest::addColumn<int>("changed");
    QTest::addColumn<int>("pagesAdded");

    const QString one = QStringLiteral("基礎配筋|配筋状況\r\nかぶり確認|/写真/P0001.JPG");
    QTest::newRow("reordered, Japanese")
        << QStringLiteral("写真ファイル,説明,番号,タイトル\r\n/a.jpg,説明A,1,題A\r\n").toUtf8()
        << QStringList { QStringLiteral("題A|説明A|/a.jpg"), QStringLiteral("型枠||"), "||" } << 1
        << 0;
    QTest::newRow("English names, any case, extra column")
        << QByteArray("Memo,TITLE,number\r\nx,T1,1\r\ny,T2,2\r\nz,T3,3\r\n")
        << QStringList { QStringLiteral("T1|配筋状況\r\nかぶり確認|/写真/P0001.JPG"),
               QStringLiteral("T2||"), "T3||" }
        << 3 << 0;
    QTest::newRow("empty cells and short rows untouched")
        << QStringLiteral("タイトル,説明\r\n,新しい説明\r\n\r\n題\r\n").toUtf8()
        << QStringList { QStringLiteral("基礎配筋|新しい説明|/写真/P0001.JPG"),
               QStringLiteral("題||"), "||" }
        << 2 << 0;
    QTest::newRow("blank lines skipped, LF inside becomes CR LF")
        << QByteArray("title,text\n\n\n,\"a\nb\"\n\n,c\n")
        << QStringList { QStringLiteral("基礎配筋|a\r\nb|/写真/P0001.JPG"),
               QStringLiteral("型枠|c|"), "||" }
        << 2 << 0;
    QTest::newRow("Shift-JIS without mark, more rows add pages")
        << sjis(QStringLiteral("番号,説明\r\n1,一\r\n2,二\r\n3,三\r\n4,四\r\n5,\r\n6,\r\n7,七\r\n"))
        << QStringList { QStringLiteral("基礎配筋|一|/写真/P0001.JPG"), QStringLiteral("型枠|二|"),
               QStringLiteral("|三|") }
        << 5 << 1;
    QTest::newRow("quoted header, UTF-8 mark")
        << QByteArray("\xEF\xBB\xBF\"title\"\r\n\"x,\"\"y\"\"\"\r\n")
        << QStringList { QStringLiteral("x,\"y\"|配筋状況\r\nかぶり確認|/写真/P0001.JPG"),
               QStringLiteral("型枠||"), "||" }
        << 1 << 0;
}

void TestCaptionCsv::importMatchesColumnsByHeader()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, expected);
    QFETCH(int, changed);
    QFETCH(int, pagesAdded);
    int gotChanged = -1, gotPages = -1;
    const CsvReadResult read = parse_caption_csv(csv);
    QVERIFY2(read.ok(), qPrintable(read.message));
    const Document result = imported(album(), csv, &gotChanged, &gotPages);
    for (int i = 1; i <= 3; ++i) {
        const Entry& e = result.entries.entry(i);
        QCOMPARE(e.title + u'|' + e.text + u'|' + e.image, expected.at(i - 1));
    }
    QCOMPARE(gotChanged, changed);
    QCOMPARE(gotPages, pagesAdded);
    QCOMPARE(result.entries.entry_count(), album().entries.entry_count() + 3 * pagesAdded);
    // Numbers belong to positions and are never taken from the CSV.
    QCOMPARE(result.entries.get_field(1, EntryField::Number), QStringLiteral(" 1"));
}

// Every refusal names its line (0: the file as a whole) and leaves the album
// as it was.
void TestCaptionCsv::refusedImportsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("says");

    QTest::newRow("quote never closed") << QByteArray("title,text\r\na,b\r\nc,\"open\r\nmore\r\n")
                                        << 3 << QStringLiteral("閉じられていません");
    QTest::newRow("text after closing quote")
        << QByteArray("title\r\n\"a\"b\r\n") << 2 << QStringLiteral("引用符");
    QTest::newRow("not text") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 0
                              << QStringLiteral("CSV ファイルではありません");
    QTest::newRow("album file, no header")
        << QByteArray("38\r\n\r\n工事\r\n") << 1 << QStringLiteral("見出し");
    QTest::newRow("undecodable byte")
        << QByteArray("title\r\nok\r\n\x82\xFF\x80\r\n") << 3 << QStringLiteral("文字コード");
    QTest::newRow("line break in a title")
        << QByteArray("title\r\n\"a\r\nb\"\r\n") << 2 << QStringLiteral("タイトルに改行");
    QTest::newRow("column twice") << QByteArray("title,タイトル\r\na,b\r\n") << 1
                                  << QStringLiteral("二つ");

    // One row too many for the largest album.
    QByteArray many("text\r\n");
    for (int i = 0; i < EntryTable::MaxEntries; ++i)
        many += "\r\n,\r\n"; // blank lines are skipped, "," is an empty row
    many += "x\r\n";
    QTest::newRow("past the size limit")
        << many << 2 * EntryTable::MaxEntries + 2 << QStringLiteral("行が多すぎます");
}

void TestCaptionCsv::refusedImportsChangeNothing()
{
    QFETCH(QByteArray, csv);
    QFETCH(int, line);
    QFETCH(QString, says);
    const CsvReadResult read = parse_caption_csv(csv);
    Album a;
    a.replace_document(album(), {});
    const QByteArray before = bytesOf(a.document());
    QString message = read.message;
    int at = read.line;
    if (read.ok()) {
        const CaptionImportPlan plan = plan_caption_import(a.entries(), read.rows);
        QVERIFY2(!plan.ok(), "the import should have been refused");
        QVERIFY(plan.contents.isEmpty());
        message = plan.message;
        at = plan.line;
    }
    QVERIFY2(message.contains(says), qPrintable(message));
    QCOMPARE(at, line);
    if (line > 0)
        QVERIFY2(message.startsWith(QStringLiteral("%1行目").arg(line)), qPrintable(message));
    QCOMPARE(bytesOf(a.document()), before);
    QVERIFY(a.saved());
}

void TestCaptionCsv::largeFilesAreRefusedBeforeReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.csv"));
    QByteArray big("title\r\n");
    big += QByteArray(MaxCaptionCsvSize, 'x');
    QVERIFY(writeAll(path, big));
    const CsvReadResult read = read_caption_csv(path);
    QVERIFY(!read.ok());
    QVERIFY(read.message.startsWith(path));
    QVERIFY2(read.message.contains(QStringLiteral("16 MiB")), qPrintable(read.message));
}

// Information lost or changed on its way through a spreadsheet: a list cell
// split wrongly, drawing titles parted from their files, columns not found
// by their names.
void TestCaptionCsv::informationTravelsInItsColumns_data()
{
    QTest::addColumn<QByteArray>("csv"); // empty: the album's own export
    QTest::addColumn<bool>("shiftJis");
    QTest::addColumn<QString>("infos"); // after importing into the empty album

    const QString all = QStringLiteral(
        "1 写真区分=施工状況写真; 工種=道路土工; 工種区分予備=予備1\n予備2; 撮影箇所=\"北\",東; "
        "施工管理値=幅 3.0m\n高さ 1.2m; 参考図=/d/a.pdf\n/d/b.pdf; 平面図; ");
    QTest::newRow("export, UTF-8") << QByteArray() << false << all;
    QTest::newRow("export, Shift-JIS") << QByteArray() << true << all;
    QTest::newRow("by header, in any order")
        << QStringLiteral("参考図タイトル,工種,番号,参考図ファイル\r\n\"立面図\n\",床掘り,,\"/d/x.pdf\r\n/d/y.pdf\"\r\n")
               .toUtf8()
        << false << "1 工種=床掘り; 参考図=/d/x.pdf\n/d/y.pdf; 立面図; ";
}

void TestCaptionCsv::informationTravelsInItsColumns()
{
    QFETCH(QByteArray, csv);
    QFETCH(bool, shiftJis);
    QFETCH(QString, infos);

    Document source = album();
    PhotoInfo info;
    info.photoClass = QStringLiteral("施工状況写真");
    info.workType = QStringLiteral("道路土工");
    info.reserves = { QStringLiteral("予備1"), QStringLiteral("予備2") };
    info.spot = QStringLiteral("\"北\",東");
    info.controlValue = QStringLiteral("幅 3.0m\n高さ 1.2m");
    info.drawings = { { QStringLiteral("/d/a.pdf"), QStringLiteral("平面図") },
        { QStringLiteral("/d/b.pdf"), {} } };
    source.entries.set_info(1, info);
    if (csv.isEmpty()) {
        const CsvExportResult out = encode_caption_csv(
            source.entries, shiftJis ? CsvEncoding::ShiftJis : CsvEncoding::Utf8);
        QVERIFY2(out.ok(), qPrintable(out.message));
        csv = out.bytes;
        // Into the same album: nothing changes.
        int changed = -1, pages = -1;
        const Document same = imported(source, csv, &changed, &pages);
        QCOMPARE(changed, 0);
        QCOMPARE(infosOf(same), infosOf(source));
    }
    Document empty;
    empty.entries.reset_table();
    int changed = -1, pages = -1;
    QCOMPARE(infosOf(imported(empty, csv, &changed, &pages)), infos);
}

QTEST_GUILESS_MAIN(TestCaptionCsv)
#include "tst_captioncsv.moc"
