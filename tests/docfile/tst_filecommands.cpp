#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pagespinner.h"
#include "cover/coverdialog.h"
#include "docfile/documentwriter.h"
#include "docfile/filecommands.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"
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

private:
    void trigger(const char* name) { window->commands().action(QLatin1String(name))->trigger(); }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    int coversMade = 0;
    QTemporaryDir dir;
};

void TestFileCommands::init()
{
    dialogs.clear();
    coversMade = 0;
    window = new MainWindow(dialogs, [this] {
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
    trigger("file_save");

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
    trigger("file_save");
    trigger("file_open");
    QCOMPARE(dialogs.fileRequests.size(), 2);
    QVERIFY(!dialogs.fileRequests.last().confirmOverwrite);
    QVERIFY(!window->album().saved());
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("kept"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestFileCommands::failedSaveSaysWhyAndKeepsTheFlag()
{
    QVERIFY(writeAll(path("old.zkr"), "old"));
    window->album().set_title(1, QStringLiteral("写真😀"));
    dialogs.saveAnswers << path("old.zkr");
    trigger("file_save");
    QVERIFY(!window->album().saved());
    QCOMPARE(readAll(path("old.zkr")), QByteArray("old"));
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("No.1 のタイトル")));
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("😀")));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));

    window->album().set_title(1, QStringLiteral("ok"));
    dialogs.saveAnswers << path("no/such/folder/x.zkr");
    trigger("file_save");
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
    trigger("file_open");
    QCOMPARE(window->highest_page(), 2);
    QCOMPARE(window->current_page(), 1);
    QCOMPARE(
        window->findChild<QLineEdit*>(QStringLiteral("Text1_0"))->text(), QStringLiteral("No. 1"));
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text2_0"))->text(),
        QStringLiteral("十五文字ある長いタイトルの例です"));
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text2_1"))->text().left(2),
        QStringLiteral("t2"));
    QCOMPARE(window->album().document().cover.field(CoverField::FiscalYear), QStringLiteral("c1"));
    QCOMPARE(window->coverWindow()->box(CoverField::SubmissionDay)->text(), QStringLiteral("c14"));

    // Page through the album, then save it.
    window->pageControl()->setValue(2);
    window->pageControl()->setValue(1);
    dialogs.saveAnswers << path("again.zkr");
    trigger("file_save");
    QCOMPARE(readAll(path("again.zkr")).toHex(' '), bytes.toHex(' '));
}

void TestFileCommands::failedOpenLeavesTheAlbumAsItWas()
{
    window->album().append_page();
    window->pageControl()->setValue(2);
    window->album().set_title(5, QStringLiteral("mine"));
    window->album().set_cover_field(CoverField::ProjectName, QStringLiteral("my project"));

    QByteArray broken = storedAlbum();
    broken.chop(4);
    QVERIFY(writeAll(path("broken.zkr"), broken));
    dialogs.openAnswers << path("broken.zkr") << path("missing.zkr");
    trigger("file_open");
    trigger("file_open");

    QCOMPARE(dialogs.messages.size(), 2);
    QVERIFY(dialogs.messages.first().text.startsWith(path("broken.zkr")));
    QVERIFY(dialogs.messages.last().text.startsWith(path("missing.zkr")));
    QCOMPARE(window->album().entries().entry_count(), 6);
    QCOMPARE(window->current_page(), 2);
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
    window->pageControl()->setValue(2);
    window->select_slot(2);
    const CoverDialog* oldCover = window->coverWindow();
    QVERIFY(oldCover);
    window->album().mark_touched(QStringLiteral("edit"));

    // The new cover window is modal; the user presses OK.
    bool shownModal = false;
    QTimer::singleShot(0, this, [&] {
        auto* modal = qobject_cast<CoverDialog*>(QApplication::activeModalWidget());
        shownModal = modal && modal == window->coverWindow();
        if (modal)
            modal->accept();
    });
    trigger("file_new");
    QVERIFY(shownModal);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(window->album().entries().entry_count(), 3);
    for (int i = 1; i <= 3; ++i) {
        QCOMPARE(window->album().entries().get_field(i, EntryField::Number), number_text(i));
        QVERIFY(window->album().entries().entry(i).isEmpty());
    }
    QCOMPARE(window->current_page(), 1);
    QCOMPARE(window->highest_page(), 1);
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("Text4"))->text(), QStringLiteral("1"));
    QCOMPARE(
        window->findChild<QLineEdit*>(QStringLiteral("Text1_2"))->text(), QStringLiteral("No. 3"));
    QCOMPARE(window->selected_slot(), 0);
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

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
