#include <QDir>
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
    void checkListsProblemsByEntry_data();
    void checkListsProblemsByEntry();

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

QTEST_GUILESS_MAIN(TestZkrtool)
#include "tst_zkrtool.moc"
