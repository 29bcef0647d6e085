#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "docfile/albumlock.h"
#include "brokenphotos.h"
#include "testfiles.h"
#include "testphotos.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray cover()
{
    QByteArray bytes;
    for (int n = 1; n <= 14; ++n)
        bytes += QByteArray::number(n) + "\r\n";
    return bytes;
}

} // namespace

class TestZkrtool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dumpShowsThePaddedAlbum();
    void buildAndDumpAreInverse();
    void copyKeepsOwnFilesAndTidiesOthers();
    void documentErrorsExitWithOne();
    void defaultsUseTheDateAndCorpIni();
    void wrongUsageExitsWithTwo();
    void checkListsProblemsByEntry_data();
    void checkListsProblemsByEntry();
    // On a full disk (a file size limit: writes fail with EFBIG) or onto a
    // target that is no regular file, copy, build and pdf exit 1 with a
    // message naming the file and the cause, and leave the target as it was.
    void failedWritesKeepTheTarget_data();
    void failedWritesKeepTheTarget();
    void csvExportThenImportIsByteIdentical_data();
    void csvExportThenImportIsByteIdentical();
    void csvImportFailuresWriteNothing_data();
    void csvImportFailuresWriteNothing();
    void stderrHoldsOnlyZkrtoolsLine_data();
    void stderrHoldsOnlyZkrtoolsLine();
    void importAndRelink_data();
    void importAndRelink();
    void checkHoldsDatesAndRecords_data();
    void checkHoldsDatesAndRecords();
    void delivery_data();
    void delivery();

private:
    Run run(const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
        rlim_t fileSizeLimit = RLIM_INFINITY);
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QString tool;
    QTemporaryDir dir;
};

void TestZkrtool::initTestCase()
{
    tool = qEnvironmentVariable("ZKRTOOL");
    QVERIFY2(QFile::exists(tool), "ZKRTOOL must name the zkrtool program");
}

Run TestZkrtool::run(const QStringList& args, const QProcessEnvironment& env, rlim_t fileSizeLimit)
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (fileSizeLimit != RLIM_INFINITY) {
        p.setChildProcessModifier([fileSizeLimit] {
            // A disk that fills up at fileSizeLimit bytes of any one file.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit {};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = fileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p.start(tool, args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

void TestZkrtool::dumpShowsThePaddedAlbum()
{
    // One entry: a title in Shift-JIS, a two-line text, a path.
    QVERIFY(
        writeAll(path("one.zkr"), cover() + " 1\r\n\x8D\x48\x8E\x96\r\nA<BR>B\r\n/p/1.jpg\r\n"));
    const Run r = run({ "dump", path("one.zkr") });
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.contains("\"text\":\"A\\r\\nB\""));
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(root.value("cover").toArray().size(), 14);
    QCOMPARE(root.value("cover").toArray().at(13).toString(), QStringLiteral("14"));
    const QJsonArray entries = root.value("entries").toArray();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries.at(0).toObject().value("title").toString(), QStringLiteral("工事"));
    QCOMPARE(entries.at(0).toObject().value("image").toString(), QStringLiteral("/p/1.jpg"));
    QCOMPARE(entries.at(2).toObject().value("number").toString(), QStringLiteral(" 3"));
}

// Bytes without a character survive dump and build as "\udcXX" escapes.
void TestZkrtool::buildAndDumpAreInverse()
{
    const QByteArray original
        = cover() + " 1\r\n\x85\x40\xA0\r\nx\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
    QVERIFY(writeAll(path("odd.zkr"), original));
    const Run dumped = run({ "dump", path("odd.zkr") });
    QCOMPARE(dumped.exitCode, 0);
    QVERIFY(writeAll(path("odd.json"), dumped.out));
    const Run built = run({ "build", path("odd.json"), path("rebuilt.zkr") });
    QCOMPARE(built.exitCode, 0);
    QCOMPARE(readAll(path("rebuilt.zkr")), original);

    // A character Shift-JIS cannot hold is refused and nothing is written.
    QVERIFY(writeAll(path("emoji.json"),
        QStringLiteral(R"({"cover":["","","現場😀","","","","","","","","","","",""],"entries":[]})")
            .toUtf8()));
    const Run refused = run({ "build", path("emoji.json"), path("emoji.zkr") });
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(QString::fromUtf8(refused.err).contains(QStringLiteral("工事名")));
    QCOMPARE(refused.err.count('\n'), 1);
    QVERIFY(!QFile::exists(path("emoji.zkr")));
}

void TestZkrtool::copyKeepsOwnFilesAndTidiesOthers()
{
    const QByteArray own = cover() + " 1\r\nt\r\n\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
    QVERIFY(writeAll(path("own.zkr"), own));
    QCOMPARE(run({ "copy", path("own.zkr"), path("own-copy.zkr") }).exitCode, 0);
    QCOMPARE(readAll(path("own-copy.zkr")), own);

    QByteArray lf = own;
    lf.replace("\r\n", "\n");
    lf.chop(12); // LF line ends, and only the first entry
    QVERIFY(writeAll(path("lf.zkr"), lf));
    QCOMPARE(run({ "copy", path("lf.zkr"), path("lf-copy.zkr") }).exitCode, 0);
    QCOMPARE(readAll(path("lf-copy.zkr")), own);
}

void TestZkrtool::documentErrorsExitWithOne()
{
    QVERIFY(writeAll(path("short.zkr"), "1\r\n2\r\n"));
    const Run r = run({ "copy", path("short.zkr"), path("short-copy.zkr") });
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY(!QFile::exists(path("short-copy.zkr")));
    QCOMPARE(run({ "dump", path("nothing-here.zkr") }).exitCode, 1);
    QVERIFY(writeAll(path("bad.json"), "{\"cover\": ["));
    QCOMPARE(run({ "build", path("bad.json"), path("bad.zkr") }).exitCode, 1);
}

void TestZkrtool::defaultsUseTheDateAndCorpIni()
{
    QVERIFY(QDir(dir.path()).mkpath("config/zelkora"));
    QVERIFY(writeAll(path("config/zelkora/corp.ini"),
        QStringLiteral("[工事施工者]\n会社名=山田建設\n").toUtf8()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", path("config"));
    const Run r = run({ "defaults", "--date", "2006-04-05" }, env);
    QCOMPARE(r.exitCode, 0);
    QStringList fields;
    for (const QJsonValue& v : QJsonDocument::fromJson(r.out).array())
        fields << v.toString();
    QCOMPARE(fields,
        (QStringList {
            "18", "", "", "", "18", "4", "", "18", "4", "", "山田建設", "18", "4", "5" }));

    // With --reiwa the years count from 2019.
    const Run reiwa = run({ "defaults", "--reiwa", "--date", "2026-12-07" }, env);
    QCOMPARE(reiwa.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(reiwa.out).array().at(0).toString(), QStringLiteral("8"));
}

void TestZkrtool::wrongUsageExitsWithTwo()
{
    QCOMPARE(run({}).exitCode, 2);
    QCOMPARE(run({ "frobnicate" }).exitCode, 2);
    QCOMPARE(run({ "copy", path("a.zkr") }).exitCode, 2);
    QCOMPARE(run({ "defaults", "--date", "2006-13-40" }).exitCode, 2);
    const Run help = run({ "--help" });
    QCOMPARE(help.exitCode, 0);
    for (const char* command : { "dump", "build", "copy", "defaults" })
        QVERIFY(help.out.contains(command));
}

// zkrtool check prints one "No.N: message" line per problem and exits 1, or
// prints nothing and exits 0 for a clean album.
void TestZkrtool::checkListsProblemsByEntry_data()
{
    QTest::addColumn<QByteArray>("entries"); // four lines per entry, Shift-JIS
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::newRow("clean") << QByteArray(" 1\r\n\r\n\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n")
                           << 0 << QByteArray();
    QTest::newRow("missing photo")
        << QByteArray(" 1\r\n\r\n\r\n/nowhere/IMG_1.JPG\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n")
        << 1 << QByteArray("No.1: ");
}

void TestZkrtool::checkListsProblemsByEntry()
{
    QFETCH(QByteArray, entries);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QVERIFY(writeAll(path("check.zkr"), cover() + entries));
    const Run r = run({ "check", path("check.zkr") });
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out.count('\n'), exitCode);
    QVERIFY2(r.out.startsWith(out) && r.out.contains("/nowhere/IMG_1.JPG") == (exitCode == 1),
        r.out.constData());
}

void TestZkrtool::failedWritesKeepTheTarget_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("fifo");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("locked"); // the target is open in the window elsewhere

    // An album of a little under 16 KiB: small enough to have been lost whole.
    QByteArray album = cover();
    int n = 1;
    for (; album.size() < 15000; ++n)
        album += " " + QByteArray::number(n) + "\r\ntitle\r\ntext\r\n\r\n";
    const QByteArray number = " " + QByteArray::number(n) + "\r\n";
    album += number + QByteArray(16350 - album.size() - number.size() - 6, 't') + "\r\n\r\n\r\n";
    QCOMPARE(album.size(), 16350);
    QVERIFY(writeAll(path("big.zkr"), album));
    QCOMPARE(run({ "dump", path("big.zkr") }).exitCode, 0);
    QVERIFY(writeAll(path("big.json"), run({ "dump", path("big.zkr") }).out));

    const QString full = QStringLiteral("ディスクの空き容量が足りません");
    const QString special = QStringLiteral("通常のファイルではない");
    const QString out = path("out.zkr");
    const QString pdf = path("out.pdf");
    QTest::newRow("copy, disk full")
        << QStringList { "copy", path("big.zkr"), out } << out << false << 4000ll << full << false;
    QTest::newRow("build, disk full")
        << QStringList { "build", path("big.json"), out } << out << false << 4000ll << full << false;
    QTest::newRow("pdf, disk full") << QStringList { "pdf", path("big.zkr"), pdf, "--page", "1" }
                                    << pdf << false << 4000ll << full << false;
    QTest::newRow("copy onto a fifo") << QStringList { "copy", path("big.zkr"), path("fifo") }
                                      << path("fifo") << true << qint64(RLIM_INFINITY) << special << false;
    QTest::newRow("pdf onto a fifo")
        << QStringList { "pdf", path("big.zkr"), path("fifo"), "--page", "1" } << path("fifo")
        << true << qint64(RLIM_INFINITY) << special << false;
    const QString force = QStringLiteral("--force");
    QTest::newRow("copy onto an open album") << QStringList { "copy", path("big.zkr"), out } << out
                                             << false << qint64(RLIM_INFINITY) << force << true;
    QTest::newRow("relink onto an open album")
        << QStringList { "relink", path("big.zkr"), out, dir.path() } << out << false
        << qint64(RLIM_INFINITY) << force << true;
}

void TestZkrtool::failedWritesKeepTheTarget()
{
    QFETCH(QStringList, args);
    QFETCH(QString, target);
    QFETCH(bool, fifo);
    QFETCH(qint64, limit);
    QFETCH(QString, cause);
    QFETCH(bool, locked);

    QFile::remove(target);
    const QByteArray old(9000, 'o');
    if (fifo)
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    else
        QVERIFY(writeAll(target, old));
    const QString lockFile = zk::AlbumLock::lockPath(target);
    if (locked)
        QVERIFY(writeForeignLock(lockFile, QStringLiteral("pc-7"), 42, 0));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    const Run r = run(args, QProcessEnvironment::systemEnvironment(), rlim_t(limit));
    QCOMPARE(r.exitCode, 1);
    const QString err = QString::fromUtf8(r.err);
    QVERIFY2(err.contains(target) && err.contains(cause), qPrintable(err));
    if (fifo) {
        struct stat st
        {
        };
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    } else {
        QCOMPARE(readAll(target), old);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    if (locked) {
        QCOMPARE(run(args << QStringLiteral("--force")).exitCode, 0);
        QVERIFY(readAll(target) != old);
        QFile::remove(lockFile);
    }
    QFile::remove(target);
}

// Two pages with captions that need quoting; written as the program writes.
QByteArray captionedAlbum()
{
    QByteArray own = cover();
    own += " 1\r\n\x8A\xEE\x91\x62\r\n\x94\x7A\x8B\xD8<BR>\"A,B\"\r\n/p/1.jpg\r\n";
    own += " 2\r\n  sp \r\n\r\n/p/2,x.jpg\r\n";
    own += " 3\r\n\r\n\r\n\r\n 4\r\nt4\r\n<BR><BR>\r\n\r\n";
    own += " 5\r\n\r\n\r\n\r\n 6\r\n\r\n\r\n\r\n";
    return own;
}

// Captions to a spreadsheet and back lose no byte, in either encoding, and
// an album without them gets every one (and the pages they need).
void TestZkrtool::csvExportThenImportIsByteIdentical_data()
{
    QTest::addColumn<QStringList>("flags");
    QTest::newRow("UTF-8") << QStringList {};
    QTest::newRow("Shift-JIS") << QStringList { "--sjis" };
}

void TestZkrtool::csvExportThenImportIsByteIdentical()
{
    QFETCH(QStringList, flags);
    const QByteArray own = captionedAlbum();
    QVERIFY(writeAll(path("captioned.zkr"), own));
    const Run exported
        = run(QStringList { "csv-export", path("captioned.zkr"), path("c.csv") } + flags);
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(readAll(path("c.csv")).startsWith("\xEF\xBB\xBF"), flags.isEmpty());

    QCOMPARE(
        run({ "csv-import", path("captioned.zkr"), path("c.csv"), path("same.zkr") }).exitCode, 0);
    QCOMPARE(readAll(path("same.zkr")), own);

    const QByteArray blank = cover() + " 1\r\n\r\n\r\n\r\n 2\r\n\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n";
    QVERIFY(writeAll(path("blank.zkr"), blank));
    QCOMPARE(
        run({ "csv-import", path("blank.zkr"), path("c.csv"), path("filled.zkr") }).exitCode, 0);
    QCOMPARE(readAll(path("filled.zkr")), own);
}

// A CSV or album that cannot be applied exits with 1 naming the file (and
// the CSV line), wrong usage with 2; neither writes the output.
void TestZkrtool::csvImportFailuresWriteNothing_data()
{
    QTest::addColumn<QStringList>("args"); // "CSV" and "OUT" stand for the files
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");

    QTest::newRow("broken quoting")
        << QStringList { "csv-import", "ALBUM", "CSV", "OUT" }
        << QByteArray("title\r\nok\r\n\"never closed\r\n") << 1 << QStringLiteral("in.csv: 3行目");
    QTest::newRow("title with a character the file cannot hold")
        << QStringList { "csv-import", "ALBUM", "CSV", "OUT" }
        << QStringLiteral("title\r\n現場😀\r\n").toUtf8() << 1 << QStringLiteral("No.1 のタイトル");
    QTest::newRow("missing CSV") << QStringList { "csv-import", "ALBUM", "nothing.csv", "OUT" }
                                 << QByteArray() << 1 << QStringLiteral("nothing.csv");
    QTest::newRow("too few arguments") << QStringList { "csv-import", "ALBUM", "CSV" }
                                       << QByteArray("title\r\n") << 2 << QStringLiteral("usage");
    QTest::newRow("unknown flag") << QStringList { "csv-export", "ALBUM", "OUT", "--utf16" }
                                  << QByteArray() << 2 << QStringLiteral("--sjis");
}

void TestZkrtool::csvImportFailuresWriteNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, csv);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    QVERIFY(writeAll(path("album.zkr"), captionedAlbum()));
    QVERIFY(writeAll(path("in.csv"), csv));
    QFile::remove(path("out.zkr"));
    args.replaceInStrings(QRegularExpression("^ALBUM$"), path("album.zkr"));
    args.replaceInStrings(QRegularExpression("^CSV$"), path("in.csv"));
    args.replaceInStrings(QRegularExpression("^OUT$"), path("out.zkr"));
    const Run r = run(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(says, Qt::CaseInsensitive), r.err.constData());
    QVERIFY(!QFile::exists(path("out.zkr")));
}

void TestZkrtool::stderrHoldsOnlyZkrtoolsLine_data()
{
    QTest::addColumn<bool>("verbose");
    QTest::newRow("quiet") << false;
    QTest::newRow("verbose") << true;
}

// Catches Qt's warnings and libpng's own error lines reaching the user
// around zkrtool's message, and --verbose no longer showing them.
void TestZkrtool::stderrHoldsOnlyZkrtoolsLine()
{
    QFETCH(bool, verbose);
    QImage image(120, 90, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) % 256));
    // A JPEG with damaged scan data decodes with a libjpeg warning; a PNG
    // with damaged chunks fails inside libpng.
    QByteArray jpeg;
    QBuffer jpegBuffer(&jpeg);
    QVERIFY(image.save(&jpegBuffer, "JPG", 90));
    for (qsizetype i = jpeg.size() / 3; i < jpeg.size() / 3 + 60; i += 4)
        jpeg[i] = char(0x55);
    QByteArray png;
    QBuffer pngBuffer(&png);
    QVERIFY(image.save(&pngBuffer, "PNG"));
    png.truncate(png.size() / 2);
    for (qsizetype i = 100; i < png.size(); i += 7)
        png[i] = char(i);
    QVERIFY(writeAll(path("damaged.jpg"), jpeg));
    QVERIFY(writeAll(path("damaged.png"), png));
    QByteArray album = cover();
    album += " 1\r\n\r\n\r\n" + QDir::toNativeSeparators(path("damaged.jpg")).toUtf8() + "\r\n";
    album += " 2\r\n\r\n\r\n\r\n";
    album += " 3\r\n\r\n\r\n" + QDir::toNativeSeparators(path("damaged.png")).toUtf8() + "\r\n";
    QVERIFY(writeAll(path("damaged.zkr"), album));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_RUNTIME_DIR");
    QStringList args { "pdf", path("damaged.zkr"), path("damaged.pdf") };
    if (verbose)
        args.prepend("--verbose");
    const Run r = run(args, env);
    QCOMPARE(r.exitCode, 1);
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    QVERIFY2(lines.last().startsWith("zkrtool: ") && lines.last().contains("No. 3"), r.err);
    if (verbose) {
        QVERIFY2(r.err.contains("libpng error") && r.err.contains("Corrupt JPEG"), r.err);
    } else {
        QCOMPARE(lines.size(), 1);
    }
}

// Each row starts from the same three-page album: entry 2 has a photo that
// is no longer where the album says, entry 4 a title only.
void TestZkrtool::importAndRelink_data()
{
    QTest::addColumn<QStringList>("args"); // "@" stands for the test folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("images"); // of entries 1..9 afterwards; empty: not written
    QTest::addColumn<QString>("stderrHolds");
    QTest::newRow("natural order, unreadable left out")
        << QStringList { "import", "@/in.zkr", "@/out.zkr", "@/P10.jpg", "@/notes.jpg", "@/P2.jpg" }
        << 1 << QStringList { "@/P2.jpg", "@/P10.jpg", "", "/elsewhere/gone.jpg", "", "", "", "", "" }
        << "notes.jpg";
    QTest::newRow("fill from 2, given order")
        << QStringList { "import", "@/in.zkr", "@/out.zkr", "--fill", "--at", "2", "--order",
               "given", "@/P10.jpg", "@/P2.jpg", "@/P1.jpg" }
        << 0 << QStringList { "", "/elsewhere/gone.jpg", "@/P10.jpg", "@/P2.jpg", "@/P1.jpg", "", "", "", "" } << "";
    QTest::newRow("a folder and time order")
        << QStringList { "import", "@/in.zkr", "@/out.zkr", "--order", "time", "--at", "4",
               "@/pictures" }
        << 0 << QStringList { "", "/elsewhere/gone.jpg", "", "@/pictures/b.jpg", "@/pictures/a.jpg", "", "", "", "" } << "";
    QTest::newRow("repeated file left out")
        << QStringList { "import", "@/in.zkr", "@/out.zkr", "@/P1.jpg", "@/P1.jpg" } << 1
        << QStringList { "@/P1.jpg", "", "/elsewhere/gone.jpg", "", "", "", "", "", "" } << "P1.jpg";
    QTest::newRow("unknown order") << QStringList { "import", "@/in.zkr", "@/out.zkr", "--order",
                                          "size", "@/P1.jpg" }
                                   << 2 << QStringList {} << "--order";
    QTest::newRow("start past the album") << QStringList { "import", "@/in.zkr", "@/out.zkr",
                                                 "--at", "11", "@/P1.jpg" }
                                          << 2 << QStringList {} << "--at";
    QTest::newRow("relink finds the moved photo")
        << QStringList { "relink", "@/in.zkr", "@/out.zkr", "@" } << 0
        << QStringList { "", "@/gone.jpg", "", "", "", "", "", "", "" } << "1 found";
    QTest::newRow("photo cut short left out")
        << QStringList { "import", "@/in.zkr", "@/out.zkr", "@/P1.jpg", "@/half.jpg" } << 1
        << QStringList { "@/P1.jpg", "", "/elsewhere/gone.jpg", "", "", "", "", "", "" }
        << "途中で切れています";
    QTest::newRow("relink to an empty file says so")
        << QStringList { "relink", "@/in.zkr", "@/out.zkr", "@/emptied" } << 1
        << QStringList { "", "/elsewhere/gone.jpg", "", "", "", "", "", "", "" } << "空です";
    QTest::newRow("relink without the photo")
        << QStringList { "relink", "@/in.zkr", "@/out.zkr", "@/pictures" } << 1
        << QStringList { "", "/elsewhere/gone.jpg", "", "", "", "", "", "", "" } << "gone.jpg";
}

void TestZkrtool::importAndRelink()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, images);
    QFETCH(QString, stderrHolds);

    QTemporaryDir work;
    const QString at = work.path();
    const QImage image = solidPhoto(QSize(40, 30), Qt::gray);
    for (const char* name : { "P1.jpg", "P2.jpg", "P10.jpg", "gone.jpg" })
        QVERIFY(image.save(at + QLatin1Char('/') + QLatin1String(name)));
    QVERIFY(writeAll(at + QStringLiteral("/notes.jpg"), "not a picture"));
    QVERIFY(writeAll(at + QStringLiteral("/half.jpg"), photosCutShortOrNot().at(2).bytes));
    if (args.contains(QStringLiteral("@/emptied"))) {
        QVERIFY(QDir(at).mkpath(QStringLiteral("emptied")));
        QVERIFY(writeAll(at + QStringLiteral("/emptied/gone.jpg"), {}));
    }
    // In the folder, a.jpg was taken after b.jpg: no EXIF, so the file time decides.
    QVERIFY(QDir(at).mkpath(QStringLiteral("pictures")));
    QVERIFY(image.save(at + QStringLiteral("/pictures/b.jpg")));
    QVERIFY(image.save(at + QStringLiteral("/pictures/a.jpg")));
    QFile a(at + QStringLiteral("/pictures/a.jpg"));
    QVERIFY(a.open(QIODevice::ReadWrite));
    QVERIFY(a.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    a.close();

    QByteArray album = cover();
    for (int n = 1; n <= 9; ++n) {
        const QByteArray title = n == 4 ? "titled" : "";
        const QByteArray photo = n == 2 ? "/elsewhere/gone.jpg" : "";
        album += " " + QByteArray::number(n) + "\r\n" + title + "\r\n\r\n" + photo + "\r\n";
    }
    QVERIFY(writeAll(at + QStringLiteral("/in.zkr"), album));
    // Entry 4's information belongs with its title; entry 2's photo has a record.
    QVERIFY(writeAll(at + QStringLiteral("/in.zkinfo"),
        R"({"format":"zelkora-photo-info","version":1,"entries":[{"position":4,"image":"",)"
        R"("info":{"工種":"A"}},{"position":2,"image":"/elsewhere/gone.jpg",)"
        R"("record":{"size":1,"modified":2}}]})"));

    QStringList resolved;
    for (const QString& arg : std::as_const(args))
        resolved << (arg.startsWith(QLatin1Char('@')) ? at + arg.mid(1) : arg);
    const Run r = run(resolved);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.err).contains(stderrHolds), r.err.constData());
    if (images.isEmpty()) {
        QVERIFY(!QFile::exists(at + QStringLiteral("/out.zkr")));
        return;
    }
    const Run dumped = run({ "dump", at + QStringLiteral("/out.zkr") });
    QCOMPARE(dumped.exitCode, 0);
    QStringList got;
    const QJsonArray entries = QJsonDocument::fromJson(dumped.out).object().value("entries").toArray();
    const QJsonObject records = QJsonDocument::fromJson(dumped.out).object().value("records").toObject();
    for (const QJsonValue& e : entries) {
        const QJsonObject o = e.toObject();
        got << o.value("image").toString().replace(at, QStringLiteral("@"));
        QCOMPARE(o.value("info").toObject().value(QStringLiteral("工種")).toString(),
            o.value("title").toString() == u"titled" ? QStringLiteral("A") : QString());
        // The record follows the photo, also to where relink found it.
        if (got.last().endsWith(u"gone.jpg"))
            QVERIFY(records.contains(o.value("image").toString()));
    }
    QCOMPARE(got, images);
    // Titles stay with their entries when photos fill around them.
    if (args.contains(QStringLiteral("--fill")))
        QCOMPARE(entries.at(3).toObject().value("title").toString(), QStringLiteral("titled"));
}

// Shooting dates against the cover's period in either era, dates missing in
// an album with information, and photo files changed since they were placed.
void TestZkrtool::checkHoldsDatesAndRecords_data()
{
    QTest::addColumn<QString>("entry"); // the entry's JSON; @ is the test folder
    QTest::addColumn<QStringList>("flags"); // SIZE, TIME, SHA: what the record still matches
    QTest::addColumn<QString>("expected"); // the date and record lines

    const QString photo = QStringLiteral(R"("image":"@/p.jpg","number":" 1","title":"","text":"")");
    const QString dated = photo + QStringLiteral(R"(,"info":{"撮影年月日":"2026-05-01"})");
    QTest::newRow("inside the period, 令和") << dated << QStringList { "--reiwa" } << "";
    QTest::newRow("outside, 平成")
        << dated << QStringList {}
        << "No.1: 写真情報の撮影年月日 (2026-05-01) が表紙の工期 (1996-04-01〜1996-09-30) の外です.";
    QTest::newRow("no date at all")
        << photo + QStringLiteral(R"(,"info":{"工種":"A"})") << QStringList { "--reiwa" }
        << "No.1: 撮影年月日がわかりません. 写真に撮影日時の記録がないため, "
           "写真情報の撮影年月日を入力してください.";
    QTest::newRow("not a date") << photo + QStringLiteral(R"(,"info":{"撮影年月日":"5/1"})")
                                << QStringList { "--reiwa" }
                                << "No.1: 写真情報の撮影年月日「5/1」は 2026-04-01 "
                                   "のような年-月-日の形ではありません.";
    QTest::newRow("unchanged") << dated << QStringList { "--reiwa", "SIZE", "TIME", "SHA" } << "";
    QTest::newRow("only touched") << dated << QStringList { "--reiwa", "SIZE", "SHA" } << "";
    QTest::newRow("grown") << dated << QStringList { "--reiwa", "TIME" }
                           << "No.1: 写真ファイルが配置後に変更されています (大きさ 1 → SIZE バイト).";
    QTest::newRow("rewritten") << dated << QStringList { "--reiwa", "SIZE" }
                               << "No.1: 写真ファイルが配置後に変更されています (更新日時・内容).";
}

void TestZkrtool::checkHoldsDatesAndRecords()
{
    QFETCH(QString, entry);
    QFETCH(QStringList, flags);
    QFETCH(QString, expected);

    QTemporaryDir work;
    const QString jpg = work.filePath(QStringLiteral("p.jpg"));
    QVERIFY(writeSolidPhoto(jpg, QSize(40, 30), Qt::gray));
    QFile file(jpg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString size = QString::number(file.size());
    const QByteArray sha = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    const qint64 time = file.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch();
    const QString record = QStringLiteral(R"(,"records":{"@/p.jpg":{"size":%1,"modified":%2,"sha256":"%3"}})")
                               .arg(flags.contains(u"SIZE") ? size : QStringLiteral("1"))
                               .arg(flags.contains(u"TIME") ? time : 5)
                               .arg(flags.contains(u"SHA") ? QString::fromLatin1(sha.toHex()) : QString(64, u'0'));
    // The construction period: year 8, 4/1 to 9/30.
    const QString json = QStringLiteral(R"({"cover":["","","","","8","4","1","8","9","30","","","",""],"entries":[{%1}]%2})")
                             .arg(entry, flags.size() > 1 ? record : QString())
                             .replace(u'@', work.path());
    QVERIFY(writeAll(work.filePath(QStringLiteral("a.json")), json.toUtf8()));
    const QString album = work.filePath(QStringLiteral("a.zkr"));
    QCOMPARE(run({ "build", work.filePath(QStringLiteral("a.json")), album }).exitCode, 0);

    const Run r = run(QStringList { "check", album } + flags.mid(0, flags.contains(u"--reiwa") ? 1 : 0));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.contains(u"撮影") || line.contains(u"配置後"))
            lines << line;
    }
    QCOMPARE(lines.join(u'\n'), QString(expected).replace(QStringLiteral("SIZE"), size));
    QCOMPARE(r.exitCode, r.out.isEmpty() ? 0 : 1);
}

// Each row starts from an album of one page: entry 1 a photo shot on
// 2023-07-14, entry 2 a title only; bad.zkr titles the photo with ①.
void TestZkrtool::delivery_data()
{
    QTest::addColumn<bool>("exportFirst"); // `delivery in.zkr @/out` before the row's command
    QTest::addColumn<QStringList>("args"); // "@" stands for the test folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHolds");
    QTest::newRow("written") << false << QStringList { "delivery", "@/in.zkr", "@/out", "--standard", "土木201603-01" } << 0 << "No.1: 撮影年月日 2023-07-14 が工期 (1993-06-07〜1996-09-10) の外です";
    QTest::newRow("refused") << false << QStringList { "delivery", "@/bad.zkr", "@/out" } << 1 << "No.1: 写真タイトルに使えない文字「①」";
    QTest::newRow("PHOTO already there") << true << QStringList { "delivery", "@/in.zkr", "@/out" } << 1 << "がすでにあり、空ではありません";
    QTest::newRow("own delivery checks clean") << true << QStringList { "delivery-check", "@/out" } << 0 << "";
    QTest::newRow("outside the period") << true << QStringList { "delivery-check", "@/out/PHOTO", "--period", "2024-01-01:2024-12-31" } << 0
                                        << "注意: PIC/P0000001.JPG: 撮影年月日 2023-07-14 が期間 (2024-01-01〜2024-12-31) の外です";
    QTest::newRow("no PHOTO.XML") << false << QStringList { "delivery-check", "@" } << 1 << "エラー: ";
    QTest::newRow("period backwards") << false << QStringList { "delivery-check", "@", "--period", "2024-12-31:2024-01-01" } << 2 << "";
}

void TestZkrtool::delivery()
{
    QFETCH(bool, exportFirst);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHolds);
    QTemporaryDir work;
    const QString at = work.path();
    QVERIFY(writeAll(at + QStringLiteral("/p.jpg"), exifJpeg("2023:07:14 09:00:00")));
    for (const char* name : { "in.zkr", "bad.zkr" }) {
        const QByteArray title = qstrcmp(name, "bad.zkr") == 0 ? "\x87\x40" : "photo";
        QVERIFY(writeAll(at + QLatin1Char('/') + QLatin1String(name),
            cover() + " 1\r\n" + title + "\r\n\r\n" + QFile::encodeName(at) + "/p.jpg\r\n 2\r\ntitled\r\n\r\n\r\n 3\r\n\r\n\r\n\r\n"));
    }
    if (exportFirst)
        QCOMPARE(run({ "delivery", at + QStringLiteral("/in.zkr"), at + QStringLiteral("/out") }).exitCode, 0);
    QStringList resolved;
    for (const QString& arg : std::as_const(args))
        resolved << (arg.startsWith(QLatin1Char('@')) ? at + arg.mid(1) : arg);
    const Run r = run(resolved);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(stdoutHolds.isEmpty() ? r.out.isEmpty() || exitCode == 2 : QString::fromUtf8(r.out).contains(stdoutHolds), r.out.constData());
    QCOMPARE(QFile::exists(at + QStringLiteral("/out/PHOTO/PHOTO.XML")), exportFirst || (exitCode == 0 && args.first() == QLatin1String("delivery")));
}

QTEST_GUILESS_MAIN(TestZkrtool)
#include "tst_zkrtool.moc"
