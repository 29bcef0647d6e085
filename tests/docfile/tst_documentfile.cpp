#include "docfile/albumjson.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include "testfiles.h"

#include <sys/stat.h>

using namespace zk;

namespace {

Document newDocument()
{
    Document d;
    d.entries.reset_table();
    return d;
}

// Fourteen cover lines of plain digits, then the given entry lines.
QByteArray fileWith(int entries, const char* lineEnd = "\r\n")
{
    QByteArray bytes;
    for (int n = 1; n <= 14; ++n)
        bytes += QByteArray::number(n) + lineEnd;
    for (int i = 1; i <= entries; ++i)
        bytes += " " + QByteArray::number(i) + lineEnd + "t" + QByteArray::number(i) + lineEnd
            + lineEnd + lineEnd;
    return bytes;
}

bool sameDocument(const Document& a, const Document& b)
{
    if (!(a.cover == b.cover) || a.entries.entry_count() != b.entries.entry_count())
        return false;
    for (int i = 1; i <= a.entries.entry_count(); ++i) {
        for (int f = 1; f <= 4; ++f) {
            if (a.entries.get_field(i, EntryField(f)) != b.entries.get_field(i, EntryField(f)))
                return false;
        }
    }
    return true;
}

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheDocumentedLayout();
    void fieldsRoundTrip_data();
    void fieldsRoundTrip();
    void foreignFileIsRewrittenByteForByte();
    void otherLineEndsAreRead();
    void padsToWholePages_data();
    void padsToWholePages();
    void brokenFilesAreReported_data();
    void brokenFilesAreReported();
    void refusesFilesItMustNotRead();
    void refusalWritesNothing_data();
    void refusalWritesNothing();
    void failedWriteIsReported();
    // Reading needs at most a small multiple of the file's size, whatever the
    // file holds (all lines, or one line): peak memory grows by no more than
    // 6 x the file size.
    void readerMemoryIsBounded_data();
    void readerMemoryIsBounded();
    // The album's JSON form (dumps and recovery copies) is written by hand
    // for speed; it must stay byte for byte what Qt's JSON writer makes.
    void jsonIsQtsJson_data();
    void jsonIsQtsJson();

private:
    QTemporaryDir dir;
};

// The example album of the format: cover, a photo entry with a two-line text,
// an empty entry; every line ends with CR LF, Shift-JIS throughout.
void TestDocumentFile::writesTheDocumentedLayout()
{
    Document d = newDocument();
    d.cover.setField(CoverField::FiscalYear, QStringLiteral("18"));
    d.cover.setField(CoverField::ProjectName, QStringLiteral("工事"));
    d.entries.set_field(1, EntryField::Title, QStringLiteral("基礎配筋"));
    d.entries.set_field(1, EntryField::Text, QStringLiteral("配筋状況\r\nかぶり確認"));
    d.entries.set_field(1, EntryField::Image, QStringLiteral("C:\\写真\\P0001.JPG"));

    const EncodeResult r = encode_document(d);
    QVERIFY(r.ok());
    const QList<QByteArray> lines = r.bytes.split('\n');
    QCOMPARE(lines.size(), 26 + 1); // 26 lines, each ending in LF
    QVERIFY(lines.last().isEmpty());
    for (qsizetype i = 0; i < 26; ++i)
        QVERIFY(lines.at(i).endsWith('\r'));
    QCOMPARE(lines.at(0), QByteArray("18\r"));
    QCOMPARE(lines.at(2), QByteArray("\x8D\x48\x8E\x96\r"));
    QCOMPARE(lines.at(14), QByteArray(" 1\r"));
    QCOMPARE(lines.at(15), QByteArray("\x8A\xEE\x91\x62\x94\x7A\x8B\xD8\r"));
    QCOMPARE(lines.at(16),
        QByteArray(
            "\x94\x7A\x8B\xD8\x8F\xF3\x8B\xB5<BR>\x82\xA9\x82\xD4\x82\xE8\x8A\x6D\x94\x46\r"));
    QCOMPARE(lines.at(17), QByteArray("C:\\\x8E\xCA\x90\x5E\\P0001.JPG\r"));
    QCOMPARE(lines.at(18), QByteArray(" 2\r"));
    QCOMPARE(lines.at(19), QByteArray("\r"));
}

void TestDocumentFile::fieldsRoundTrip_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("image");
    QTest::newRow("empty") << QString() << QString() << QString();
    QTest::newRow("commas and quotes")
        << QStringLiteral("a,\"b\",'c'") << QStringLiteral("\"x\", y") << QString();
    QTest::newRow("blanks kept") << QStringLiteral("  前後  ") << QStringLiteral(" \t ")
                                 << QStringLiteral(" /a b/ ");
    QTest::newRow("dame-moji path") << QStringLiteral("表示") << QString()
                                    << QStringLiteral("C:\\表示\\ソフト\\能力\\予定.jpg");
    QTest::newRow("half-width katakana")
        << QStringLiteral("ｶﾀｶﾅ") << QStringLiteral("ｱ\r\nｲ") << QString();
    QTest::newRow("lower-case br stays") << QString() << QStringLiteral("a<br>b<Br>c") << QString();
    QTest::newRow("line breaks") << QString() << QStringLiteral("A\r\nB\r\nC\r\n\r\n") << QString();
    QTest::newRow("long title") << QStringLiteral("十五文字の長いタイトルです、本当") << QString()
                                << QString();
    QTest::newRow("two-code characters") << QStringLiteral("①Ⅰ㈱髙﨑") << QString() << QString();
}

void TestDocumentFile::fieldsRoundTrip()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, image);
    Document d = newDocument();
    for (int n = 1; n <= 14; ++n)
        d.cover.setLine(n, title + QString::number(n));
    d.entries.set_field(2, EntryField::Title, title);
    d.entries.set_field(2, EntryField::Text, text);
    d.entries.set_field(2, EntryField::Image, image);

    const QString path = dir.filePath(QStringLiteral("roundtrip.zkr"));
    QVERIFY(write_document(path, d).ok());
    const ReadResult r = read_document(path);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(sameDocument(r.document, d));
    // Saving what was read writes the same bytes again.
    QCOMPARE(encode_document(r.document).bytes, readAll(path));
}

// A file from another program, with bytes that have no character, a lone CR
// and a typed "<BR>", opens and saves unchanged.
void TestDocumentFile::foreignFileIsRewrittenByteForByte()
{
    QByteArray bytes = fileWith(0);
    bytes
        += " 1\r\n\x85\x40\x81 \x80\xA0\xFD\xFE\xFF\r\na\rb<BR>c\r\nC:\\\x95\x5C\\\xFA\x5C.jpg\r\n";
    bytes += " 2\r\n\x82\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
    const ReadResult r = parse_document(bytes);
    QVERIFY(r.ok());
    QCOMPARE(r.document.entries.get_field(1, EntryField::Text), QStringLiteral("a\rb\r\nc"));
    const QByteArray again = encode_document(r.document).bytes;
    QCOMPARE(again.toHex(' '), bytes.toHex(' '));
}

void TestDocumentFile::otherLineEndsAreRead()
{
    QByteArray lf = fileWith(3, "\n");
    QByteArray noFinalEnd = fileWith(3);
    noFinalEnd.chop(2);
    noFinalEnd += "x"; // a last image line without line end
    const ReadResult a = parse_document(lf);
    const ReadResult b = parse_document(noFinalEnd);
    QVERIFY(a.ok() && b.ok());
    QCOMPARE(a.document.entries.entry_count(), 3);
    QCOMPARE(b.document.entries.get_field(3, EntryField::Image), QStringLiteral("x"));
    QCOMPARE(encode_document(a.document).bytes, fileWith(3));

    // Empty lines after the last entry (an editor's extra line end) hold nothing.
    for (const QByteArray& extra :
        { QByteArray("\r\n"), QByteArray("\r\n\r\n\r\n"), QByteArray("\n") }) {
        const ReadResult c = parse_document(fileWith(3) + extra);
        QVERIFY2(c.ok(), qPrintable(c.message));
        QCOMPARE(encode_document(c.document).bytes, fileWith(3));
    }
}

void TestDocumentFile::padsToWholePages_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("none") << 0 << 3;
    QTest::newRow("one") << 1 << 3;
    QTest::newRow("seven") << 7 << 9;
    QTest::newRow("six") << 6 << 6;
}

// Padding numbers the new entries by position, so page growth after them
// never repeats a number, and the stored entries all stay.
void TestDocumentFile::padsToWholePages()
{
    QFETCH(int, stored);
    QFETCH(int, shown);
    const ReadResult r = parse_document(fileWith(stored));
    QVERIFY(r.ok());
    const EntryTable& t = r.document.entries;
    QCOMPARE(t.entry_count(), shown);
    for (int i = 1; i <= shown; ++i) {
        QCOMPARE(t.get_field(i, EntryField::Number), number_text(i));
        QCOMPARE(t.get_field(i, EntryField::Title),
            i <= stored ? QStringLiteral("t%1").arg(i) : QString());
    }
}

void TestDocumentFile::brokenFilesAreReported_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("line");
    QByteArray truncated = fileWith(2);
    truncated.chop(4); // loses the last two lines of entry 2
    QTest::newRow("empty file") << QByteArray() << int(ReadError::TooShort) << 0;
    QTest::newRow("thirteen lines")
        << fileWith(0).left(fileWith(0).lastIndexOf("14")) << int(ReadError::TooShort) << 0;
    QTest::newRow("ends inside an entry") << truncated << int(ReadError::TruncatedEntry) << 20;
    QTest::newRow("too many entries")
        << fileWith(EntryTable::MaxEntries + 1) << int(ReadError::TooManyEntries) << 0;
}

void TestDocumentFile::brokenFilesAreReported()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    QFETCH(int, line);
    const ReadResult r = parse_document(bytes);
    QCOMPARE(int(r.error), error);
    QCOMPARE(r.line, line);
    QVERIFY(!r.message.isEmpty());
    QVERIFY(r.message.endsWith(QLatin1Char('.')));
}

void TestDocumentFile::refusesFilesItMustNotRead()
{
    QCOMPARE(
        read_document(dir.filePath(QStringLiteral("missing.zkr"))).error, ReadError::CannotOpen);
    QCOMPARE(read_document(dir.path()).error, ReadError::NotRegularFile);

    const QString fifo = dir.filePath(QStringLiteral("fifo.zkr"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(read_document(fifo).error, ReadError::NotRegularFile); // and does not hang

    const QString huge = dir.filePath(QStringLiteral("huge.zkr"));
    QFile f(huge);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize(MaxDocumentFileSize + 1)); // sparse, so cheap
    f.close();
    const ReadResult r = read_document(huge);
    QCOMPARE(r.error, ReadError::TooLarge);
    QVERIFY(r.message.startsWith(huge));
}

void TestDocumentFile::refusalWritesNothing_data()
{
    QTest::addColumn<int>("coverLine");
    QTest::addColumn<int>("entryField");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("emoji in the project name")
        << 3 << 0 << QStringLiteral("現場😀") << QStringLiteral("工事名");
    QTest::newRow("tsuchi-yoshi in a title")
        << 0 << 2 << QStringLiteral("𠮷") << QStringLiteral("No.2 のタイトル");
    QTest::newRow("hangul in a path")
        << 0 << 4 << QStringLiteral("/사진.jpg") << QStringLiteral("No.2 の画像ファイル");
    QTest::newRow("line feed in a title")
        << 0 << 2 << QStringLiteral("a\nb") << QStringLiteral("No.2 のタイトル");
    QTest::newRow("lone line feed in a text")
        << 0 << 3 << QStringLiteral("a\r\nb\nc") << QStringLiteral("No.2 のテキスト");
}

// Nothing is written as garbage: the old file stays as it was and the
// message says where the offending character is.
void TestDocumentFile::refusalWritesNothing()
{
    QFETCH(int, coverLine);
    QFETCH(int, entryField);
    QFETCH(QString, value);
    QFETCH(QString, mentions);
    const QString path = dir.filePath(QStringLiteral("kept.zkr"));
    QVERIFY(writeAll(path, "old contents\r\n"));

    Document d = newDocument();
    if (coverLine)
        d.cover.setLine(coverLine, value);
    else
        d.entries.set_field(2, EntryField(entryField), value);
    const WriteResult r = write_document(path, d);
    QVERIFY(!r.ok());
    QVERIFY2(r.message.contains(mentions), qPrintable(r.message));
    QVERIFY(r.message.endsWith(QLatin1Char('.')));
    QCOMPARE(readAll(path), QByteArray("old contents\r\n"));
    QCOMPARE(
        QDir(dir.path()).entryList(QStringList { "kept.zkr*" }, QDir::Files | QDir::Hidden).size(),
        1);
}

void TestDocumentFile::failedWriteIsReported()
{
    const WriteResult r
        = write_document(dir.filePath(QStringLiteral("no/such/folder/a.zkr")), newDocument());
    QCOMPARE(r.error, WriteError::CannotWrite);
    QVERIFY(r.message.contains(QStringLiteral("no/such/folder/a.zkr")));
}

void TestDocumentFile::readerMemoryIsBounded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("error");
    constexpr qsizetype size = 48 * 1024 * 1024;
    QTest::newRow("line feeds") << QByteArray(size, '\n') << int(ReadError::TooManyEntries);
    QByteArray crlf(size, '\r');
    for (qsizetype i = 1; i < size; i += 2)
        crlf[i] = '\n';
    QTest::newRow("CR LF") << crlf << int(ReadError::TooManyEntries);
    QByteArray longText = fileWith(0) + " 1\r\nt\r\n";
    longText += QByteArray(size, 'a') + "\r\n\r\n";
    QTest::newRow("one long text") << longText << int(ReadError::None);
}

void TestDocumentFile::readerMemoryIsBounded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, error);
    rusage before {};
    ::getrusage(RUSAGE_SELF, &before);
    {
        const ReadResult r = parse_document(bytes);
        QCOMPARE(int(r.error), error);
    }
    rusage after {};
    ::getrusage(RUSAGE_SELF, &after);
    const qint64 grownKiB = after.ru_maxrss - before.ru_maxrss;
    QVERIFY2(grownKiB * 1024 <= 6 * bytes.size(), qPrintable(QString::number(grownKiB)));
}


void TestDocumentFile::jsonIsQtsJson_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain and Japanese") << QStringLiteral("No.1 工事 ①㈱髙");
    QTest::newRow("escapes") << QStringLiteral("a\"b\\c/d\r\n\t\b\f");
    QTest::newRow("controls and DEL") << QString::fromUtf16(u"\u0001\u001f\u007f\u0080\u00e9");
    QTest::newRow("outside the BMP") << QStringLiteral("𠮷😀");
    QTest::newRow("lone surrogates") << QString::fromUtf16(u"x\xdc81y\xd800") + QChar(0xdc80);
    QRandomGenerator random(7);
    for (int row = 0; row < 20; ++row) {
        QString text;
        for (int i = 0; i < 40; ++i) {
            const int kind = random.bounded(4);
            text += QChar(char16_t(kind == 0 ? random.bounded(0x80)
                    : kind == 1              ? random.bounded(0x80, 0x800)
                    : kind == 2              ? random.bounded(0xd700, 0xe100)
                                             : random.bounded(0x800, 0x10000)));
        }
        QTest::addRow("random %d", row) << text;
    }
}

void TestDocumentFile::jsonIsQtsJson()
{
    QFETCH(QString, text);
    Document d = newDocument();
    d.cover.setField(CoverField::ProjectName, text);
    d.entries.set_field(1, EntryField::Title, text);
    d.entries.set_field(2, EntryField::Text, text);
    d.entries.set_field(3, EntryField::Image, text);

    const auto compact = [](const QJsonValue& value) {
        const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    QJsonArray cover;
    for (int n = 1; n <= CoverData::FieldCount; ++n)
        cover.append(d.cover.line(n));
    QByteArray expected = "{\n  \"cover\": " + compact(cover) + ",\n  \"entries\": [";
    for (int i = 1; i <= d.entries.entry_count(); ++i) {
        const Entry& e = d.entries.entry(i);
        const QJsonObject entry { { QStringLiteral("number"), e.number },
            { QStringLiteral("title"), e.title }, { QStringLiteral("text"), e.text },
            { QStringLiteral("image"), e.image } };
        expected += (i == 1 ? "\n    " : ",\n    ") + compact(entry);
    }
    expected += "\n  ]\n}\n";
    QCOMPARE(AlbumJson::fromDocument(d), expected);
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
