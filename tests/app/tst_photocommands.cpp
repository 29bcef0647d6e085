#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "app/pagespinner.h"
#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "app/zoomwindow.h"
#include "app/photocommands.h"
#include "pagewait.h"
#include "scripteddialogs.h"
#include "testphotos.h"
#include "model/usersettings.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QUrl>

using namespace zk;

class TestPhotoCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void importPlacesThePhoto();
    void importIntoTheLastSlotGrowsTheAlbum();
    void importFailureChangesNothing();
    void cancelledImportIsAnEdit();
    void growthIsRefusedAtTheLimitButThePhotoStays();
    void removalEmptiesTheSlot();
    void dropOneFile();
    void dropRefusals();
    void missingPhotoShowsANotice();
    void zoomShowsTheSelectedPhotoLarge();

private:
    PhotoBox* photo(int k) const { return window->pageView().slot(k).photoBox(); }
    void drop(int k, QMimeData* data);
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestPhotoCommands::initTestCase()
{
    QVERIFY(writeSolidPhoto(file("red.jpg"), QSize(400, 300), Qt::red));
    QVERIFY(writeSolidPhoto(file("blue.png"), QSize(300, 400), Qt::blue));
    QFile text(file("notes.jpg"));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all\n");
}

void TestPhotoCommands::init()
{
    dialogs.clear();
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [] { return CoverData(); });
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->album().mark_saved({});
}

void TestPhotoCommands::cleanup()
{
    window->album().mark_saved({});
    delete window;
}

void TestPhotoCommands::drop(int k, QMimeData* data)
{
    // As a drag arrives: entered, then dropped.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(photo(k), &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(photo(k), &event);
    // The drop is handled once the drag has ended.
    QCoreApplication::processEvents();
    delete data;
}

void TestPhotoCommands::importPlacesThePhoto()
{
    window->album().set_title(2, QStringLiteral("kept"));
    window->pageView().select_slot(1);
    window->album().mark_saved({});
    dialogs.openAnswers << file("red.jpg");
    window->commands().action(Command::LoadImage)->trigger();

    const FileRequest asked = dialogs.fileRequests.last();
    QCOMPARE(asked.filter,
        QStringLiteral("すべてのファイル (*.*)|*.*|BMP ファイル (*.bmp)|*.bmp|"
                       "GIF ファイル (*.gif)|*.gif|ICO ファイル (*.ico)|*.ico|"
                       "JPG ファイル (*.jpg)|*.jpg|JPEG ファイル (*.jpeg)|*.jpeg|"
                       "WMF ファイル (*.wmf)|*.wmf|"));
    QCOMPARE(asked.filterIndex, 5);
    QCOMPARE(window->album().entries().get_field(2, EntryField::Image), file("red.jpg"));
    QCOMPARE(window->album().entries().get_field(2, EntryField::Title), QStringLiteral("kept"));
    QCOMPARE(photo(1)->picture().pixelColor(5, 5).red(), 254);
    QCOMPARE(photo(1)->picture().size(), window->pageView().slotPictureSize());
    QVERIFY(window->pageView().slot(1).titleBox()->hasFocus());
    QVERIFY(!window->album().saved());
    QCOMPARE(window->album().entries().entry_count(), 3);

    // Replacing the photo overwrites the path only.
    dialogs.openAnswers << file("blue.png");
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 1));
    QCOMPARE(window->album().entries().get_field(2, EntryField::Image), file("blue.png"));
}

void TestPhotoCommands::importIntoTheLastSlotGrowsTheAlbum()
{
    dialogs.openAnswers << file("red.jpg") << file("red.jpg");
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 2));
    QCOMPARE(window->album().entries().entry_count(), 6);
    QCOMPARE(window->album().entries().get_field(4, EntryField::Number), QStringLiteral(" 4"));
    QCOMPARE(window->album().entries().get_field(6, EntryField::Number), QStringLiteral(" 6"));
    QVERIFY(window->album().entries().entry(6).isEmpty());
    QCOMPARE(window->pageView().highest_page(), 2);
    QCOMPARE(window->pageView().current_page(), 1);
    // Page 1 is no longer the last page.
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 2));
    QCOMPARE(window->album().entries().entry_count(), 6);
}

void TestPhotoCommands::importFailureChangesNothing()
{
    window->album().set_image(1, file("blue.png"));
    window->album().mark_saved({});
    window->pageView().slot(2).titleBox()->setFocus();
    dialogs.openAnswers << file("notes.jpg");
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 0));
    QCOMPARE(dialogs.messages.size(), 1);
    // The first sentence as it always was, then the file and the loader's reason.
    QCOMPARE(dialogs.lastMessage(),
        QStringLiteral("写真ファイル取込に失敗しました.\n\n%1\n"
                       "写真ファイルではないか、読めない形式のファイルです.")
            .arg(file("notes.jpg")));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));
    QCOMPARE(dialogs.messages.last().icon, MessageIcon::None);
    QCOMPARE(window->album().entries().get_field(1, EntryField::Image), file("blue.png"));
    QVERIFY(waitForPage(*window));
    QCOMPARE(photo(0)->picture().pixelColor(5, 5).blue(), 255);
    QVERIFY(window->album().saved());
    QVERIFY(window->pageView().slot(2).titleBox()->hasFocus());
}

void TestPhotoCommands::cancelledImportIsAnEdit()
{
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 1));
    QVERIFY(window->album().entries().get_field(2, EntryField::Image).isEmpty());
    QVERIFY(window->pageView().slot(1).titleBox()->hasFocus());
    QVERIFY(!window->album().saved());
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPhotoCommands::growthIsRefusedAtTheLimitButThePhotoStays()
{
    Document full;
    for (int i = 1; i <= EntryTable::MaxEntries; ++i)
        full.entries.append_entry(number_text(i), {}, {}, {});
    window->album().replace_document(full, {});
    window->pageView().pageControl()->setValue(window->pageView().highest_page());
    dialogs.openAnswers << file("red.jpg");
    window->photoCommands().load_image(entry_index(window->pageView().current_page(), 2));
    QCOMPARE(window->album().entries().entry_count(), EntryTable::MaxEntries);
    QCOMPARE(window->album().entries().get_field(EntryTable::MaxEntries, EntryField::Image),
        file("red.jpg"));
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.lastMessage().endsWith(QLatin1Char('.')));
}

void TestPhotoCommands::removalEmptiesTheSlot()
{
    Document d;
    d.entries.append_entry(QStringLiteral(" 1"), {}, {}, {});
    d.entries.append_entry(
        QStringLiteral(" 2"), QStringLiteral("t"), QStringLiteral("a\r\nb"), file("red.jpg"));
    d.entries.append_entry(QStringLiteral(" 3"), {}, {}, {});
    window->album().replace_document(d, {});
    window->pageView().select_slot(1);
    window->album().mark_saved({});
    window->commands().action(Command::DeleteImage)->trigger();
    QVERIFY(window->album().entries().entry(2).isEmpty());
    QCOMPARE(window->album().entries().get_field(2, EntryField::Number), QStringLiteral(" 2"));
    QVERIFY(photo(1)->picture().isNull());
    QVERIFY(window->pageView().slot(1).titleBox()->text().isEmpty());
    QVERIFY(window->pageView().slot(1).textBox()->toPlainText().isEmpty());
    QVERIFY(QFile::exists(file("red.jpg")));

    // An empty slot: only the saved flag changes.
    window->album().mark_saved({});
    window->photoCommands().delete_image(entry_index(window->pageView().current_page(), 2));
    QVERIFY(!window->album().saved());
    QCOMPARE(window->album().entries().entry_count(), 3);
}

void TestPhotoCommands::dropOneFile()
{
    auto* data = new QMimeData;
    data->setUrls({ QUrl::fromLocalFile(file("red.jpg")) });
    drop(2, data);
    QCOMPARE(window->pageView().selected_slot(), 2);
    QCOMPARE(window->pageView().slot(2).frame()->borderColor(), QColor(80, 80, 192));
    QCOMPARE(window->album().entries().get_field(3, EntryField::Image), file("red.jpg"));
    QCOMPARE(window->album().entries().entry_count(), 6);
    QVERIFY(!photo(2)->picture().isNull());
    QVERIFY(window->pageView().slot(2).titleBox()->hasFocus());
    QVERIFY(!window->album().saved());
}

void TestPhotoCommands::dropRefusals()
{
    // Two files: a message, nothing else.
    auto* two = new QMimeData;
    two->setUrls({ QUrl::fromLocalFile(file("red.jpg")), QUrl::fromLocalFile(file("blue.png")) });
    drop(1, two);
    QCOMPARE(dialogs.lastMessage(),
        QStringLiteral("複数のファイルがドロップされました.\r\nドラッグをやり直してください."));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));
    QCOMPARE(window->pageView().selected_slot(), 0);
    QVERIFY(window->album().saved());

    // Text: nothing at all.
    auto* text = new QMimeData;
    text->setText(QStringLiteral("/tmp/red.jpg"));
    drop(1, text);
    QCOMPARE(dialogs.messages.size(), 1);

    // A file that is no picture: the slot is selected, nothing else changes.
    auto* broken = new QMimeData;
    broken->setUrls({ QUrl::fromLocalFile(file("notes.jpg")) });
    drop(1, broken);
    QCOMPARE(dialogs.messages.size(), 2);
    QCOMPARE(dialogs.lastMessage(),
        QStringLiteral("ドロップファイルによるエラーが発生しました.\r\n\r\n"
                       "対応ファイル以外の可能性があります.\r\n\r\n%1\r\n"
                       "写真ファイルではないか、読めない形式のファイルです.")
            .arg(file("notes.jpg")));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("ドロップファイルエラー"));
    QCOMPARE(window->pageView().selected_slot(), 1);
    QVERIFY(window->album().entries().get_field(2, EntryField::Image).isEmpty());
    QVERIFY(window->album().saved());
}

// A photo moved away since the album was saved: the slot says so, the
// entry keeps its path and the other slots show normally.
void TestPhotoCommands::missingPhotoShowsANotice()
{
    Document d;
    d.entries.append_entry(QStringLiteral(" 1"), {}, {}, file("red.jpg"));
    d.entries.append_entry(QStringLiteral(" 2"), {}, {}, file("moved-away.jpg"));
    d.entries.append_entry(QStringLiteral(" 3"), {}, {}, file("blue.png"));
    window->album().replace_document(d, {});
    QVERIFY(waitForPage(*window));
    QVERIFY(!photo(0)->picture().isNull());
    QVERIFY(photo(1)->isUnreadable());
    QVERIFY(!photo(2)->picture().isNull());
    QCOMPARE(window->album().entries().get_field(2, EntryField::Image), file("moved-away.jpg"));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPhotoCommands::zoomShowsTheSelectedPhotoLarge()
{
    Document d;
    d.entries.append_entry(QStringLiteral(" 1"), {}, {}, file("red.jpg"));
    d.entries.append_entry(QStringLiteral(" 2"), {}, {}, file("blue.png"));
    d.entries.append_entry(QStringLiteral(" 3"), {}, {}, {});
    window->album().replace_document(d, {});
    window->pageView().select_slot(0);
    window->commands().action(Command::Zoom)->trigger();
    ZoomWindow* zoom = window->zoomWindow();
    QVERIFY(zoom && zoom->isVisible());
    QCOMPARE(zoom->windowTitle(), file("red.jpg"));
    const QSize screen = zoom->screen()->size() * zoom->screen()->devicePixelRatio();
    QCOMPARE(zoom->picture().size(), screen);
    QCOMPARE(zoom->picture().pixelColor(100, 100).red(), 254);

    // With the window open, a click on another photo shows that photo.
    QTest::mouseClick(photo(1), Qt::LeftButton);
    QCOMPARE(zoom->windowTitle(), file("blue.png"));
    QCOMPARE(zoom->picture().pixelColor(100, 100).blue(), 255);
    QCOMPARE(window->pageView().selected_slot(), 1);

    // Removing the photo leaves the zoom window as it is.
    window->photoCommands().delete_image(entry_index(window->pageView().current_page(), 1));
    QCOMPARE(zoom->windowTitle(), file("blue.png"));
    QVERIFY(!zoom->picture().isNull());

    // An empty slot empties it.
    QTest::mouseClick(photo(2), Qt::LeftButton);
    QVERIFY(zoom->windowTitle().isEmpty());
    QVERIFY(zoom->picture().isNull());

    // Minimised, the command brings it back.
    zoom->showMinimized();
    window->pageView().select_slot(0);
    window->commands().action(Command::Zoom)->trigger();
    QVERIFY(!zoom->isMinimized());
    QCOMPARE(zoom->windowTitle(), file("red.jpg"));
}

QTEST_MAIN(TestPhotoCommands)
#include "tst_photocommands.moc"
