#include "app/autosaver.h"
#include "docfile/albumjson.h"
#include "docfile/documentwriter.h"
#include "model/album.h"
#include "scripteddialogs.h"
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

using namespace zk;

namespace {

// Characters the album file's code page cannot hold must survive too: an
// emoji and a byte without a character (kept as a lone surrogate).
Document sample(const QString& title)
{
    Document d = Document::blank();
    d.entries.set_field(1, EntryField::Title, title);
    d.entries.set_field(2, EntryField::Text, QStringLiteral("写真😀\r\n二行目") + QChar(0xdc85));
    d.entries.set_field(3, EntryField::Image, QStringLiteral("/photos/a.jpg"));
    d.cover.setField(CoverField::Contractor, QStringLiteral("山田建設"));
    return d;
}

// An album the album file can hold.
Document plain(const QString& title)
{
    Document d = Document::blank();
    d.entries.set_field(1, EntryField::Title, title);
    return d;
}

void setAge(const QString& path, int days)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(
        QDateTime::currentDateTime().addDays(-days), QFileDevice::FileModificationTime));
}

QStringList jsonFiles(const QString& dir)
{
    return QDir(dir).entryList({ QStringLiteral("*.json") }, QDir::Files, QDir::Name);
}

} // namespace

class TestAutoSaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copyFollowsTheSavedState_data();
    void copyFollowsTheSavedState();
    void offersWhatAnEndedProgramLeft_data();
    void offersWhatAnEndedProgramLeft();
    void asideIsKeptForAWeek_data();
    void asideIsKeptForAWeek();
    void killedProgramsWorkComesBack();
};

// Script: e edit, w write now, s save, u undo, n new album, d discard, b busy.
void TestAutoSaver::copyFollowsTheSavedState_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("copy");

    QTest::newRow("unsaved edit") << "ew" << true;
    QTest::newRow("saved afterwards") << "ews" << false;
    QTest::newRow("undone back to the saved state") << "ewu" << false;
    QTest::newRow("new album") << "ewn" << false;
    QTest::newRow("quit confirmed") << "ewd" << false;
    QTest::newRow("edit after a save") << "ewsew" << true;
    QTest::newRow("busy user still gets a copy") << "bw" << true;
}

void TestAutoSaver::copyFollowsTheSavedState()
{
    QFETCH(QString, script);
    QFETCH(bool, copy);

    QTemporaryDir dir;
    Album album;
    album.replace_document(sample(QStringLiteral("題")), QStringLiteral("/albums/a.zkr"));
    RecoveryFile file(dir.path());
    QString error;
    QVERIFY2(file.claim(&error), qPrintable(error));
    AutoSaver saver(album, file, 150); // only 'b' runs the event loop to see it pass
    for (const QChar c : script) {
        switch (c.unicode()) {
        case 'e':
            album.end_typing();
            album.set_title(1, album.entries().entry(1).title + u'x');
            break;
        case 'w':
            saver.save_now();
            break;
        case 's':
            album.mark_saved(album.filePath());
            break;
        case 'u':
            album.undoStack()->undo();
            break;
        case 'n':
            album.replace_document(sample({}), {});
            break;
        case 'd':
            saver.discard();
            break;
        case 'b': // edits every 20 ms for three waits: a copy must exist by then
            for (QDeadlineTimer busy(450); !busy.hasExpired(); QTest::qWait(20))
                album.set_title(1, album.entries().entry(1).title + u'b');
            saver.wait();
            QVERIFY(QFile::exists(file.path()));
            break;
        }
    }
    saver.wait();
    QCOMPARE(QFile::exists(file.path()), copy);
    if (!copy)
        return;
    // The copy is the album, every character and its path included.
    const Recovered back = RecoveryFile::read(file.path());
    QVERIFY2(back.ok(), qPrintable(back.error));
    QCOMPARE(back.albumPath, QStringLiteral("/albums/a.zkr"));
    QCOMPARE(AlbumJson::fromDocument(back.document), AlbumJson::fromDocument(album.document()));
}

// Kinds: "none" no album file, "older" an album file older than the copy,
// "newer" one saved after the copy, "running" a copy whose program still
// runs, "broken" a copy that cannot be read, "short" one whose last page is
// not whole (the window shows pages of three).
void TestAutoSaver::offersWhatAnEndedProgramLeft_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("asked");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<bool>("aside");

    QTest::newRow("never saved, yes") << "none" << Answer::Yes << 1 << true << false;
    QTest::newRow("older album, yes") << "older" << Answer::Yes << 1 << true << false;
    QTest::newRow("older album, no") << "older" << Answer::No << 1 << false << true;
    QTest::newRow("album saved since") << "newer" << Answer::Yes << 0 << false << true;
    QTest::newRow("program still running") << "running" << Answer::Yes << 0 << false << false;
    // Told of, with the place it is kept.
    QTest::newRow("unreadable copy") << "broken" << Answer::Yes << 1 << false << true;
    QTest::newRow("link to /dev/zero") << "zero" << Answer::Yes << 1 << false << true;
    QTest::newRow("copy over the size limit") << "huge" << Answer::Yes << 1 << false << true;
    QTest::newRow("copy ending mid-page") << "short" << Answer::Yes << 1 << true << false;
}

void TestAutoSaver::offersWhatAnEndedProgramLeft()
{
    QFETCH(QString, kind);
    QFETCH(Answer, answer);
    QFETCH(int, asked);
    QFETCH(bool, restored);
    QFETCH(bool, aside);

    QTemporaryDir dir;
    const QString albumPath = kind == u"none" ? QString() : dir.filePath("a.zkr");
    if (!albumPath.isEmpty())
        QVERIFY(write_document(albumPath, plain(QStringLiteral("old"))).ok());

    // The copy a program left: written by a RecoveryFile that still holds its
    // lock only for "running".
    auto other = std::make_unique<RecoveryFile>(dir.filePath("recovery"));
    QString error;
    QVERIFY(other->claim(&error));
    const QString orphan = other->path();
    Document left = sample(QStringLiteral("新"));
    if (kind == u"short")
        left.entries.append_entry(number_text(4), QStringLiteral("four"), {}, {});
    QVERIFY(write_recovery_file(orphan,
        kind == u"broken" ? QByteArray("{\"cover\": 1") : RecoveryFile::encode(left, albumPath))
                .isEmpty());
    if (kind == u"zero")
        QVERIFY(QFile::remove(orphan) && QFile::link(QStringLiteral("/dev/zero"), orphan));
    if (kind == u"huge")
        QVERIFY(QFile::resize(orphan, RecoveryFile::MaxBytes + 1));
    if (kind != u"running")
        other.reset();
    if (kind == u"older")
        setAge(albumPath, 1);
    if (kind == u"newer")
        setAge(orphan, 1);

    Album album;
    RecoveryFile own(dir.filePath("recovery"));
    QVERIFY(own.claim(&error));
    AutoSaver saver(album, own, 3600 * 1000);
    ScriptedDialogs dialogs;
    dialogs.messageAnswers << answer;
    QCOMPARE(saver.offer_recovery(dialogs, nullptr), restored);
    QCOMPARE(dialogs.messages.size(), asked);
    if (asked)
        QVERIFY(dialogs.lastMessage().startsWith(
            QStringLiteral("前回、保存されずに終了した写真帳があります")));
    // No says where the copy is kept and for how long
    if (asked && dialogs.messages.last().buttons == MessageButtons::YesNo)
        QVERIFY(dialogs.lastMessage().endsWith(
            "7 日間残してから削除します.\r\n" + dir.filePath("recovery/aside")));
    QCOMPARE(QFile::exists(dir.filePath("recovery/aside/" + QFileInfo(orphan).fileName())), aside);
    if (restored) {
        // Unsaved, under its own path, and the copy is now this program's.
        QCOMPARE(album.entries().entry(1).title, QStringLiteral("新"));
        QCOMPARE(album.entries().entry_count() % 3, 0);
        QCOMPARE(album.filePath(), albumPath);
        QVERIFY(!album.saved());
        QVERIFY(!QFile::exists(orphan));
        QVERIFY(QFile::exists(own.path()));
    }
    // Nothing is offered twice, and the album file is never written.
    dialogs.clear();
    saver.offer_recovery(dialogs, nullptr);
    QVERIFY(dialogs.messages.isEmpty());
    if (!albumPath.isEmpty())
        QCOMPARE(readAll(albumPath), encode_document(plain(QStringLiteral("old"))).bytes);
}

void TestAutoSaver::asideIsKeptForAWeek_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QByteArray>("note"); // beside the copy; none from earlier versions
    const auto setAside = [](int daysAgo) {
        return QByteArray::number(QDateTime::currentDateTime().addDays(-daysAgo).toSecsSinceEpoch());
    };
    QTest::newRow("six days") << 6 << true << QByteArray();
    QTest::newRow("eight days") << 8 << false << QByteArray();
    // The time it was set aside counts, not the copy's own, which a copy
    // another user wrote cannot have renewed.
    QTest::newRow("set aside now, written long ago") << 30 << true << setAside(0);
    QTest::newRow("set aside eight days ago") << 0 << false << setAside(8);
    QTest::newRow("never offered") << 30 << true << QByteArray("kept");
}

void TestAutoSaver::asideIsKeptForAWeek()
{
    QFETCH(int, days);
    QFETCH(bool, kept);
    QFETCH(QByteArray, note);
    QTemporaryDir dir;
    RecoveryFile file(dir.path());
    QVERIFY(QDir().mkpath(dir.filePath("aside")));
    const QString old = dir.filePath("aside/album-1-1.json");
    QVERIFY(writeAll(old, "{}"));
    if (!note.isEmpty())
        QVERIFY(writeAll(dir.filePath("aside/.album-1-1.json.aside"), note));
    setAge(old, days);
    file.purge_aside(QDateTime::currentDateTime());
    QCOMPARE(QFile::exists(old), kept);
}

// The real program: restore a copy, get killed, and the next start asks again;
// the album file stays as it was on disk throughout.
void TestAutoSaver::killedProgramsWorkComesBack()
{
    const QString program = qEnvironmentVariable("ZELKORA");
    QVERIFY2(QFile::exists(program), "ZELKORA must name the zelkora program");
    QTemporaryDir dir;
    const QString albumPath = dir.filePath("site.zkr");
    QVERIFY(write_document(albumPath, plain(QStringLiteral("old"))).ok());
    setAge(albumPath, 1);
    const QByteArray albumBytes = readAll(albumPath);
    const QString recovery = dir.filePath("zelkora/recovery");
    QVERIFY(QDir().mkpath(recovery));
    QVERIFY(write_recovery_file(recovery + "/album-1-1.json",
        RecoveryFile::encode(sample(QStringLiteral("typed")), albumPath))
                .isEmpty());

    const auto start = [&](const char* answers, QProcess& p) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_STATE_HOME", dir.path());
        env.insert("ZELKORA_TEST_ANSWERS", answers);
        env.insert("ZELKORA_AUTOSAVE_MS", "50");
        p.setProcessEnvironment(env);
        p.start(program, { albumPath });
        QVERIFY(p.waitForStarted());
    };
    // The first line the program writes: the question it asked.
    const auto question = [](QProcess& p) {
        QDeadlineTimer deadline(20000);
        while (!p.canReadLine() && !deadline.hasExpired())
            p.waitForReadyRead(100);
        return QString::fromUtf8(p.readLine());
    };

    QProcess first;
    start("yes", first);
    QVERIFY(question(first).startsWith(
        QStringLiteral("message: 前回、保存されずに終了した写真帳があります (site.zkr")));
    // Restored and taken over: the copy now carries the running program's id.
    const QString ownPrefix = QStringLiteral("album-%1-").arg(first.processId());
    QTRY_VERIFY_WITH_TIMEOUT(
        jsonFiles(recovery).size() == 1 && jsonFiles(recovery).first().startsWith(ownPrefix),
        20000);
    first.kill(); // SIGKILL: no clean-up runs
    QVERIFY(first.waitForFinished());

    QProcess second;
    start("no", second);
    QVERIFY(question(second).contains(QStringLiteral("復元しますか")));
    QTRY_VERIFY_WITH_TIMEOUT(QDir(recovery + "/aside").entryList(QDir::Files).size() == 1, 20000);
    second.kill();
    QVERIFY(second.waitForFinished());
    QCOMPARE(readAll(albumPath), albumBytes);
}

QTEST_MAIN(TestAutoSaver)
#include "tst_autosaver.moc"
