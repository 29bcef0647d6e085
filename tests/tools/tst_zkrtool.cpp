#include <QDir>
#include <QImage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

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
    void importAndRelink_data();
    void importAndRelink();

private:
    Run run(const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QString tool;
    QTemporaryDir dir;
};

void TestZkrtool::initTestCase()
{
    tool = qEnvironmentVariable("ZKRTOOL");
    QVERIFY2(QFile::exists(tool), "ZKRTOOL must name the zkrtool program");
}

Run TestZkrtool::run(const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
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
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::gray);
    for (const char* name : { "P1.jpg", "P2.jpg", "P10.jpg", "gone.jpg" })
        QVERIFY(image.save(at + QLatin1Char('/') + QLatin1String(name)));
    QVERIFY(writeAll(at + QStringLiteral("/notes.jpg"), "not a picture"));
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
    for (const QJsonValue& e : entries)
        got << e.toObject().value("image").toString().replace(at, QStringLiteral("@"));
    QCOMPARE(got, images);
    // Titles stay with their entries when photos fill around them.
    if (args.contains(QStringLiteral("--fill")))
        QCOMPARE(entries.at(3).toObject().value("title").toString(), QStringLiteral("titled"));
}

QTEST_GUILESS_MAIN(TestZkrtool)
#include "tst_zkrtool.moc"
