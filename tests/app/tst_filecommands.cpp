#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "app/pagespinner.h"
#include "ui/coverdialog.h"
#include "docfile/documentwriter.h"
#include "app/filecommands.h"
#include "docfile/albumlock.h"
#include "docfile/infofile.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "testfiles.h"
#include "model/usersettings.h"
#include <QTimer>

using namespace zk;

namespace {

// Six entries, a fifteen-character title and a foreign byte, in Shift-JIS.
QByteArray storedAlbum()
{
    QByteArray bytes;
    for (int n = 1; n <= 14; ++n)
        bytes += "c" + QByteArray::number(n) + "\r\n";
    for (int i = 1; i <= 6; ++i)
        bytes += " " + QByteArray::number(i) + "\r\n" + "t" + QByteArray::number(i) + "\r\n"
            + "a<BR>b\r\n\r\n";
    return bytes;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void saveWritesTheAlbum();
    void cancelledDialogsChangeNothing();
    void failedSaveSaysWhyAndKeepsTheFlag();
    void openShowsTheFirstPageAndSavesBackUnchanged();
    void failedOpenLeavesTheAlbumAsItWas();
    void newStartsAFreshAlbum();
    void openingAtStartUpShowsTheFilesCover();
    void unsavedWorkIsAskedAbout_data();
    void unsavedWorkIsAskedAbout();
    void titleBarFollowsTheAlbum_data();
    void titleBarFollowsTheAlbum();
    void saveProposesTheAlbumsFile_data();
    void saveProposesTheAlbumsFile();
    void sharedAlbumIsNotOverwritten_data();
    void sharedAlbumIsNotOverwritten();
    void secondProgramIsToldWhoHoldsTheAlbum();
    void informationBesideTheAlbum_data();
    void informationBesideTheAlbum();

private:
    // The messages that only tell (failures), not the questions.
    QList<MessageRequest> warnings() const
    {
        QList<MessageRequest> told;
        for (const MessageRequest& m : dialogs.messages) {
            if (m.buttons == MessageButtons::Ok)
                told << m;
        }
        return told;
    }
    void trigger(Command command) { window->commands().action(command)->trigger(); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
    int coversMade = 0;
    QTemporaryDir dir;
};

void TestFileCommands::init()
{
    dialogs.clear();
    coversMade = 0;
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [this] {
        CoverData c;
        c.setField(CoverField::Contractor, QStringLiteral("cover %1").arg(++coversMade));
        return c;
    });
}

void TestFileCommands::cleanup()
{
    window->album().mark_saved({});
    delete window;
}

void TestFileCommands::saveWritesTheAlbum()
{
    window->album().set_title(2, QStringLiteral("基礎"));
    dialogs.saveAnswers << path("saved.zkr");
    trigger(Command::SaveAlbum);

    QCOMPARE(dialogs.fileRequests.size(), 1);
    const FileRequest asked = dialogs.fileRequests.last();
    QCOMPARE(
        asked.filter, QStringLiteral("すべてのファイル (*.*)|*.*|ZELKORA ファイル (*.zkr)|*.zkr"));
    QCOMPARE(asked.filterIndex, 2);
    QCOMPARE(asked.defaultExtension, QStringLiteral("zkr"));
    QVERIFY(asked.confirmOverwrite);

    QCOMPARE(readAll(path("saved.zkr")), encode_document(window->album().document()).bytes);
    QCOMPARE(readAll(path("saved.zkr")).count('\n'), 26);
    QVERIFY(window->album().saved());
}

void TestFileCommands::cancelledDialogsChangeNothing()
{
    window->album().set_title(1, QStringLiteral("kept"));
    trigger(Command::SaveAlbum);
    dialogs.messageAnswers << Answer::Yes; // give up the unsaved title
    trigger(Command::OpenAlbum);
    QCOMPARE(dialogs.fileRequests.size(), 2);
    QVERIFY(!dialogs.fileRequests.last().confirmOverwrite);
    QVERIFY(!window->album().saved());
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("kept"));
    QVERIFY(warnings().isEmpty());
}

void TestFileCommands::failedSaveSaysWhyAndKeepsTheFlag()
{
    QVERIFY(writeAll(path("old.zkr"), "old"));
    window->album().set_title(1, QStringLiteral("写真😀"));
    dialogs.saveAnswers << path("old.zkr");
    trigger(Command::SaveAlbum);
    QVERIFY(!window->album().saved());
    QCOMPARE(readAll(path("old.zkr")), QByteArray("old"));
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("No.1 のタイトル")));
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("😀")));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));

    window->album().set_title(1, QStringLiteral("ok"));
    dialogs.saveAnswers << path("no/such/folder/x.zkr");
    trigger(Command::SaveAlbum);
    QVERIFY(!window->album().saved());
    QVERIFY(dialogs.lastMessage().contains(path("no/such/folder/x.zkr")));
}

// Opening fills page 1 from the file; saving without edits writes the same
// bytes, a long title and a foreign byte included.
void TestFileCommands::openShowsTheFirstPageAndSavesBackUnchanged()
{
    QByteArray bytes = storedAlbum();
    // A fifteen-character title (十五文字ある長いタイトルの例です) and a byte with no character.
    bytes.replace("t1\r\n",
        QByteArray::fromHex("8f5c8cdc95b68e9a82a082e992b782a2835e83438367838b82cc97e182c582b7")
            + "\r\n");
    bytes.replace("t2\r\n", "t2\x85\x40\r\n");
    QVERIFY(writeAll(path("album.zkr"), bytes));

    dialogs.openAnswers << path("album.zkr");
    trigger(Command::OpenAlbum);
    QCOMPARE(window->pageView().highest_page(), 2);
    QCOMPARE(window->pageView().current_page(), 1);
    QCOMPARE(
        window->findChild<QLineEdit*>(QStringLiteral("Text1_0"))->text(), QStringLiteral("No. 1"));
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text2_0"))->text(),
        QStringLiteral("十五文字ある長いタイトルの例です"));
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text2_1"))->text().left(2),
        QStringLiteral("t2"));
    QCOMPARE(window->album().document().cover.field(CoverField::FiscalYear), QStringLiteral("c1"));
    QCOMPARE(window->coverWindow()->box(CoverField::SubmissionDay)->text(), QStringLiteral("c14"));

    // Page through the album, then save it.
    window->pageView().pageControl()->setValue(2);
    window->pageView().pageControl()->setValue(1);
    dialogs.saveAnswers << path("again.zkr");
    trigger(Command::SaveAlbum);
    QCOMPARE(readAll(path("again.zkr")).toHex(' '), bytes.toHex(' '));
}

void TestFileCommands::failedOpenLeavesTheAlbumAsItWas()
{
    window->album().append_page();
    window->pageView().pageControl()->setValue(2);
    window->album().set_title(5, QStringLiteral("mine"));
    window->album().set_cover_field(CoverField::ProjectName, QStringLiteral("my project"));

    QByteArray broken = storedAlbum();
    broken.chop(4);
    QVERIFY(writeAll(path("broken.zkr"), broken));
    dialogs.openAnswers << path("broken.zkr") << path("missing.zkr");
    // Give up the unsaved edits, twice (the failure's OK between).
    dialogs.messageAnswers << Answer::Yes << Answer::Ok << Answer::Yes;
    trigger(Command::OpenAlbum);
    trigger(Command::OpenAlbum);

    QCOMPARE(warnings().size(), 2);
    QVERIFY(warnings().first().text.startsWith(path("broken.zkr")));
    QVERIFY(warnings().last().text.startsWith(path("missing.zkr")));
    QCOMPARE(window->album().entries().entry_count(), 6);
    QCOMPARE(window->pageView().current_page(), 2);
    QCOMPARE(window->album().entries().get_field(5, EntryField::Title), QStringLiteral("mine"));
    QCOMPARE(window->album().cover().field(CoverField::ProjectName), QStringLiteral("my project"));
    QVERIFY(!window->album().saved());
}

void TestFileCommands::newStartsAFreshAlbum()
{
    Document d;
    for (int i = 1; i <= 6; ++i)
        d.entries.append_entry(
            number_text(i), QStringLiteral("T%1").arg(i), {}, QStringLiteral("/x.jpg"));
    window->album().replace_document(d, {});
    window->pageView().pageControl()->setValue(2);
    window->pageView().select_slot(2);
    const CoverDialog* oldCover = window->coverWindow();
    QVERIFY(oldCover);
    window->album().mark_saved({}); // paging counted as an edit

    // The new cover window is modal; the user presses OK.
    bool shownModal = false;
    QTimer::singleShot(0, this, [&] {
        auto* modal = qobject_cast<CoverDialog*>(QApplication::activeModalWidget());
        shownModal = modal && modal == window->coverWindow();
        if (modal)
            modal->accept();
    });
    trigger(Command::NewAlbum);
    QVERIFY(shownModal);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(window->album().entries().entry_count(), 3);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(window->album().entries().get_field(i, EntryField::Number), number_text(i));
        QVERIFY(window->album().entries().entry(i).isEmpty());
    }
    QCOMPARE(window->pageView().current_page(), 1);
    QCOMPARE(window->pageView().highest_page(), 1);
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text4"))->text(), QStringLiteral("1"));
    QCOMPARE(
        window->findChild<QLineEdit*>(QStringLiteral("Text1_2"))->text(), QStringLiteral("No. 3"));
    QCOMPARE(window->pageView().selected_slot(), 0);
    QCOMPARE(window->album().cover().field(CoverField::Contractor), QStringLiteral("cover 2"));
    QCOMPARE(window->coverWindow()->box(CoverField::Contractor)->text(), QStringLiteral("cover 2"));
}

void TestFileCommands::openingAtStartUpShowsTheFilesCover()
{
    QVERIFY(writeAll(path("start.zkr"), storedAlbum()));
    QVERIFY(window->fileCommands().open_document(path("start.zkr")));
    QCOMPARE(window->coverWindow()->box(CoverField::ProjectName)->text(), QStringLiteral("c3"));
    QVERIFY(!window->fileCommands().open_document(path("nothing.zkr")));
    QCOMPARE(window->album().document().cover.field(CoverField::ProjectName), QStringLiteral("c3"));
}

// New and open must not throw unsaved work away unasked, and must do nothing
// when the user says No.
void TestFileCommands::unsavedWorkIsAskedAbout_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("replaced");

    QTest::newRow("new, unsaved, yes") << "file_new" << true << Answer::Yes << true;
    QTest::newRow("new, unsaved, no") << "file_new" << true << Answer::No << false;
    QTest::newRow("new, saved") << "file_new" << false << Answer::No << true;
    QTest::newRow("open, unsaved, yes") << "file_open" << true << Answer::Yes << true;
    QTest::newRow("open, unsaved, no") << "file_open" << true << Answer::No << false;
    QTest::newRow("open, saved") << "file_open" << false << Answer::No << true;
}

void TestFileCommands::unsavedWorkIsAskedAbout()
{
    QFETCH(QString, command);
    QFETCH(bool, unsaved);
    QFETCH(Answer, answer);
    QFETCH(bool, replaced);

    QVERIFY(writeAll(path("other.zkr"), storedAlbum()));
    window->album().set_title(1, QStringLiteral("mine"));
    if (!unsaved)
        window->album().mark_saved(path("mine.zkr"));
    dialogs.messageAnswers << answer;
    dialogs.openAnswers << path("other.zkr");
    // A new album's cover window is modal: OK it.
    QTimer::singleShot(0, this, [] {
        if (auto* modal = qobject_cast<CoverDialog*>(QApplication::activeModalWidget()))
            modal->accept();
    });
    window->findChild<QAction*>(command)->trigger();

    QCOMPARE(dialogs.messages.size(), unsaved ? 1 : 0);
    if (unsaved) {
        const MessageRequest asked = dialogs.messages.last();
        QVERIFY(asked.text.startsWith(
            QStringLiteral("無題の写真帳 には保存されていない変更があります.")));
        QCOMPARE(asked.buttons, MessageButtons::YesNo);
        QCOMPARE(asked.defaultButton, Answer::No);
    }
    // No: not even the file dialog.
    QCOMPARE(dialogs.fileRequests.size(), command == u"file_open" && replaced ? 1 : 0);
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title) != u"mine", replaced);
    QCOMPARE(window->album().saved(), replaced || !unsaved);
}

// Script: o open album.zkr, n new, e edit, u undo, s save as other.zkr,
// p page to 2 and back.
void TestFileCommands::titleBarFollowsTheAlbum_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("modified");

    QTest::newRow("new album") << ""
                               << "Zelkora" << false;
    QTest::newRow("opened") << "o"
                            << "album.zkr[*] - Zelkora" << false;
    QTest::newRow("edited") << "oe"
                            << "album.zkr[*] - Zelkora" << true;
    QTest::newRow("edit undone") << "oeu"
                                 << "album.zkr[*] - Zelkora" << false;
    QTest::newRow("saved under another name") << "oes"
                                              << "other.zkr[*] - Zelkora" << false;
    QTest::newRow("new after an open") << "on"
                                       << "Zelkora" << false;
    QTest::newRow("paged over, no edit") << "op" << "album.zkr[*] - Zelkora" << false;
    QTest::newRow("new album edited") << "e" << "無題[*] - Zelkora" << true;
}

void TestFileCommands::titleBarFollowsTheAlbum()
{
    QFETCH(QString, script);
    QFETCH(QString, title);
    QFETCH(bool, modified);

    QVERIFY(writeAll(path("album.zkr"), storedAlbum()));
    for (const QChar c : script) {
        if (c == u'o') {
            QVERIFY(window->fileCommands().open_document(path("album.zkr")));
        } else if (c == u'n') {
            QTimer::singleShot(0, this, [] {
                if (auto* modal = qobject_cast<CoverDialog*>(QApplication::activeModalWidget()))
                    modal->accept();
            });
            trigger(Command::NewAlbum);
        } else if (c == u'e') {
            window->album().set_title(1, QStringLiteral("edited"));
        } else if (c == u'u') {
            trigger(Command::Undo);
        } else if (c == u's') {
            dialogs.saveAnswers << path("other.zkr");
            trigger(Command::SaveAlbum);
        } else if (c == u'p') {
            window->pageView().pageControl()->setValue(2);
            window->pageView().pageControl()->setValue(1);
        }
    }
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->isWindowModified(), modified);
}

// Saving back should not mean looking for the file again.
void TestFileCommands::saveProposesTheAlbumsFile_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("proposed"); // relative to the test folder; "-" for none

    QTest::newRow("fresh start") << ""
                                 << "-";
    QTest::newRow("opened album") << "o"
                                  << "album.zkr";
    QTest::newRow("saved under a new name") << "s"
                                            << "first.zkr";
    QTest::newRow("new album after an open: the folder") << "on"
                                                         << "";
}

void TestFileCommands::saveProposesTheAlbumsFile()
{
    QFETCH(QString, script);
    QFETCH(QString, proposed);

    QVERIFY(writeAll(path("album.zkr"), storedAlbum()));
    for (const QChar c : script) {
        if (c == u'o') {
            dialogs.openAnswers << path("album.zkr");
            trigger(Command::OpenAlbum);
        } else if (c == u's') {
            dialogs.saveAnswers << path("first.zkr");
            trigger(Command::SaveAlbum);
        } else if (c == u'n') {
            QTimer::singleShot(0, this, [] {
                if (auto* modal = qobject_cast<CoverDialog*>(QApplication::activeModalWidget()))
                    modal->accept();
            });
            trigger(Command::NewAlbum);
        }
    }
    trigger(Command::SaveAlbum); // cancelled
    const QString expected = proposed == u"-" ? QString()
        : proposed.isEmpty()                  ? QDir(dir.path()).absolutePath()
                                              : path(qPrintable(proposed));
    QCOMPARE(dialogs.fileRequests.last().proposedPath, expected);
    QVERIFY(dialogs.fileRequests.last().confirmOverwrite);
}

// Two people with one album from a shared folder: the second never silently
// replaces the first one's work.
void TestFileCommands::sharedAlbumIsNotOverwritten_data()
{
    QTest::addColumn<QString>("lockHost"); // "": free; "this" with a gone process: stale
    QTest::addColumn<QString>("meanwhile"); // after the open: "lock" taken over, "bytes" rewritten
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QString>("told"); // a part of the first message
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("savedTo"); // the file the save wrote, "" for none

    using L = QList<Answer>;
    QTest::newRow("held: read-only, saved elsewhere")
        << "pc-7" << "" << L { Answer::Yes, Answer::Ok } << "other (pc-7" << true << "copy.zkr";
    QTest::newRow("held: opened anyway") << "pc-7" << "" << L { Answer::No } << "ほかの人が開いています"
                                         << true << "album.zkr";
    QTest::newRow("held: not opened") << "pc-7" << "" << L { Answer::Cancel } << "開いています" << false << "";
    QTest::newRow("stale: taken over") << "this" << "" << L { Answer::Ok } << "引き継ぎました" << true
                                       << "album.zkr";
    QTest::newRow("taken over meanwhile: cancel")
        << "" << "lock" << L { Answer::Cancel } << "編集しています" << true << "";
    QTest::newRow("changed meanwhile: another name")
        << "" << "bytes" << L { Answer::No } << "変更されています" << true << "copy.zkr";
    QTest::newRow("changed meanwhile: overwrite")
        << "" << "bytes" << L { Answer::Yes } << "変更されています" << true << "album.zkr";
}

void TestFileCommands::sharedAlbumIsNotOverwritten()
{
    QFETCH(QString, lockHost);
    QFETCH(QString, meanwhile);
    QFETCH(QList<Answer>, answers);
    QFETCH(QString, told);
    QFETCH(bool, opened);
    QFETCH(QString, savedTo);

    QVERIFY(writeAll(path("album.zkr"), storedAlbum()));
    QFile::remove(path("copy.zkr"));
    const QString lockFile = AlbumLock::lockPath(path("album.zkr"));
    QFile::remove(lockFile);
    if (!lockHost.isEmpty())
        QVERIFY(writeForeignLock(lockFile, lockHost, lockHost == u"this" ? 99999999 : 42, 60));
    dialogs.messageAnswers = answers;
    dialogs.openAnswers << path("album.zkr");
    trigger(Command::OpenAlbum);
    QCOMPARE(window->album().filePath() == path("album.zkr"), opened);
    if (!opened) {
        QVERIFY(dialogs.lastMessage().contains(told));
        return;
    }

    QByteArray onDisk = readAll(path("album.zkr"));
    if (meanwhile == u"lock")
        QVERIFY(writeForeignLock(lockFile, QStringLiteral("pc-7"), 42, 0));
    if (meanwhile == u"bytes")
        QVERIFY(writeAll(path("album.zkr"), onDisk = storedAlbum().replace("t1", "XX")));
    window->album().set_title(1, QStringLiteral("mine"));
    dialogs.saveAnswers << path("album.zkr") << path("copy.zkr");
    trigger(Command::SaveAlbum);

    QVERIFY(dialogs.messages.first().text.contains(told));
    const QByteArray mine = encode_document(window->album().document()).bytes;
    QCOMPARE(readAll(path("album.zkr")) == mine, savedTo == u"album.zkr");
    if (savedTo != u"album.zkr")
        QCOMPARE(readAll(path("album.zkr")), onDisk);
    QCOMPARE(readAll(path("copy.zkr")) == mine, savedTo == u"copy.zkr");
    QCOMPARE(window->album().saved(), !savedTo.isEmpty());
    // Whoever saves holds the lock of the file saved.
    if (!savedTo.isEmpty())
        QCOMPARE(AlbumLock::read(path(qPrintable(savedTo))).pid, AlbumLock::self().pid);
}

// A second program on the same display learns who has the album open; once
// that program is gone its lock is taken over.
void TestFileCommands::secondProgramIsToldWhoHoldsTheAlbum()
{
    QVERIFY(writeAll(path("shared.zkr"), storedAlbum()));
    QProcess first;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_STATE_HOME", dir.path());
    first.setProcessEnvironment(env);
    first.start(qEnvironmentVariable("ZELKORA"), { path("shared.zkr") });
    QVERIFY(first.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(AlbumLock::read(path("shared.zkr")).pid, first.processId(), 20000);

    dialogs.messageAnswers << Answer::Cancel;
    dialogs.openAnswers << path("shared.zkr");
    trigger(Command::OpenAlbum);
    QVERIFY(window->album().filePath().isEmpty());
    QVERIFY(dialogs.lastMessage().contains(AlbumLock::self().user + QStringLiteral(" (")));

    first.kill();
    QVERIFY(first.waitForFinished());
    dialogs.messageAnswers << Answer::Ok;
    dialogs.openAnswers << path("shared.zkr");
    trigger(Command::OpenAlbum);
    QCOMPARE(window->album().filePath(), path("shared.zkr"));
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("引き継ぎました")));
}

// Information lost on open or save, a damaged file overwritten, a failed
// write reported as saved, the user not told.
void TestFileCommands::informationBesideTheAlbum_data()
{
    QTest::addColumn<QByteArray>("before"); // beside the album; "dir" a folder in its place
    QTest::addColumn<QString>("told"); // after the open
    QTest::addColumn<QString>("infoAfterOpen"); // entry 1's 工種
    QTest::addColumn<bool>("saved");

    const QByteArray head = R"({"format":"zelkora-photo-info","version":1,"entries":[)";
    QTest::newRow("none") << QByteArray() << "" << "" << true;
    QTest::newRow("matching") << head + R"({"position":1,"image":"","info":{"工種":"A"}}]})"
                              << "" << "A" << true;
    QTest::newRow("photo changed elsewhere")
        << head + R"({"position":1,"image":"/x.jpg","info":{"工種":"A"}}]})" << "1 件" << "" << true;
    QTest::newRow("damaged") << QByteArray("{") << "album.zkinfo.bak" << "" << true;
    QTest::newRow("cannot be written")
        << QByteArray("dir") << "通常のファイルではありません" << "" << false;
}

void TestFileCommands::informationBesideTheAlbum()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, told);
    QFETCH(QString, infoAfterOpen);
    QFETCH(bool, saved);

    QTemporaryDir folder;
    const QString album = folder.filePath(QStringLiteral("album.zkr"));
    const QString info = InfoFile::path_for(album);
    QVERIFY(writeAll(album, storedAlbum()));
    if (before == "dir")
        QVERIFY(QDir().mkpath(info));
    else if (!before.isEmpty())
        QVERIFY(writeAll(info, before));

    QVERIFY(window->fileCommands().open_document(album));
    QCOMPARE(dialogs.messages.size(), told.isEmpty() ? 0 : 1);
    QVERIFY(dialogs.lastMessage().contains(told));
    QCOMPARE(window->album().entries().entry(1).info.workType, infoAfterOpen);

    PhotoInfo typed;
    typed.workType = QStringLiteral("B");
    window->album().set_info(2, typed);
    dialogs.saveAnswers << album;
    trigger(Command::SaveAlbum);
    QCOMPARE(window->album().saved(), saved);
    if (!saved) {
        QVERIFY(dialogs.lastMessage().contains(info));
        return;
    }
    Document back;
    back.entries = window->album().entries();
    back.entries.set_info(2, {});
    InfoFile::read(album, &back);
    QCOMPARE(back.entries.entry(2).info, typed);
    QCOMPARE(QFile::exists(info + QLatin1String(".bak")), before == "{");
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
