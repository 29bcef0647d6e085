#include "app/commandset.h"
#include "app/pageprefetcher.h"
#include "app/pageview.h"
#include "app/mainwindow.h"
#include "app/pagespinner.h"
#include "app/photobox.h"
#include "app/slotframe.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "model/leadingnumber.h"
#include "app/zoomwindow.h"
#include "ui/coverdialog.h"
#include "pagewait.h"
#include "scripteddialogs.h"
#include "testfiles.h"
#include "testphotos.h"
#include "model/usersettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QFileInfo>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QTimer>
#include <QToolBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

using namespace zk;

namespace {

CoverData fixedCover()
{
    CoverData c;
    c.setField(CoverField::FiscalYear, QStringLiteral("18"));
    return c;
}

// An album of the given pages whose entry i has title "T<i>" and text "x<i>".
Document album(int pages)
{
    Document d;
    for (int i = 1; i <= 3 * pages; ++i)
        d.entries.append_entry(
            number_text(i), QStringLiteral("T%1").arg(i), QStringLiteral("x%1").arg(i), {});
    return d;
}

QStringList titles(MainWindow& w)
{
    QStringList list;
    for (int i = 1; i <= w.album().entries().entry_count(); ++i)
        list << w.album().entries().get_field(i, EntryField::Title);
    return list;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpState();
    void pagingShowsTheEntriesOfThePage();
    void pageBoxTakesTypedPages_data();
    void pageBoxTakesTypedPages();
    void typingWritesBackAtOnce();
    void titleLimitAppliesToTypingOnly();
    void pasteThatDoesNotFitIsNoted_data();
    void pasteThatDoesNotFitIsNoted();
    void textsKeepTheirLineBreaks();
    void insertAndExtractAcrossPages();
    void insertMakesRoomInsteadOfLosingTheLastEntry();
    void menuShortcutsWinOverTextBoxes_data();
    void menuShortcutsWinOverTextBoxes();
    void slotMouseSemantics();
    void zoomCaptionIsThePhotoPath_data();
    void zoomCaptionIsThePhotoPath();
    void toolBarDispatchesByKey();
    void everyCommandIsHandled_data();
    void everyCommandIsHandled();
    void quitAsksOnlyWhenUnsaved();
    void neighbourPagesAreDecodedAhead();
    void startUpDecodesPageOneBehindTheCover();
    void coldPhotosLandOnTheirOwnSlots_data();
    void coldPhotosLandOnTheirOwnSlots();
    void undoAndRedoByKeys();
    void slotKeysSelect_data();
    void slotKeysSelect();

private:
    // An album of three pages whose nine entries each have a photo of their own.
    Document photoAlbum();
    QTemporaryDir photoDir;
    template <typename T> T* child(const char* name) const
    {
        return window->findChild<T*>(QLatin1String(name));
    }

    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestMainWindow::init()
{
    dialogs.clear();
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, fixedCover);
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

Document TestMainWindow::photoAlbum()
{
    Document d = album(3);
    for (int i = 1; i <= 9; ++i) {
        const QString path = photoDir.filePath(QStringLiteral("%1.png").arg(i));
        if (!QFileInfo::exists(path))
            writeSolidPhoto(path, QSize(64, 48), qRgb(i * 20, 0, 0));
        d.entries.set_field(i, EntryField::Image, path);
    }
    return d;
}

void TestMainWindow::cleanup()
{
    window->album().mark_saved({});
    delete window;
    window = nullptr;
}

void TestMainWindow::startUpState()
{
    QCOMPARE(window->windowTitle(), QStringLiteral("Zelkora"));
    QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("1"));
    for (int k = 0; k < 3; ++k) {
        const QString n = QString::number(k);
        QCOMPARE(child<QLineEdit>(qPrintable("Text1_" + n))->text(),
            QStringLiteral("No. %1").arg(k + 1));
        QVERIFY(child<QLineEdit>(qPrintable("Text2_" + n))->text().isEmpty());
        QVERIFY(child<QPlainTextEdit>(qPrintable("Text3_" + n))->toPlainText().isEmpty());
        QVERIFY(child<PhotoBox>(qPrintable("Image1_" + n))->picture().isNull());
        QCOMPARE(child<SlotFrame>(qPrintable("Shape1_" + n))->borderColor(),
            k == 0 ? QColor(80, 80, 192) : QColor(192, 192, 192));
    }
    QVERIFY(window->album().saved());
    QCOMPARE(window->album().entries().entry_count(), 3);
    QCOMPARE(window->pageView().highest_page(), 1);
    QCOMPARE(window->album().document().cover.field(CoverField::FiscalYear), QStringLiteral("18"));
    QVERIFY(child<QToolBar>("Toolbar1"));
    QVERIFY(child<PageSpinner>("UpDown1"));
    // The window keeps its designed size.
    QCOMPARE(window->centralWidget()->size(), QSize(551, 568));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
}

// Whatever moves the page (arrows, keys, wheel), it stays within 1..highest
// page and the slots show that page, since typing writes into the entries
// shown. Paging writes nothing back and is no edit.
void TestMainWindow::pagingShowsTheEntriesOfThePage()
{
    window->album().replace_document(album(3), {});
    window->album().mark_saved({});
    window->pageView().show_page();
    QVERIFY(window->album().saved());
    auto* spinner = child<PageSpinner>("UpDown1");
    auto* up = spinner->findChildren<QToolButton*>().at(1);
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("2"));
    QCOMPARE(child<QLineEdit>("Text1_2")->text(), QStringLiteral("No. 6"));
    QCOMPARE(child<QLineEdit>("Text2_1")->text(), QStringLiteral("T5"));
    QCOMPARE(child<QPlainTextEdit>("Text3_2")->toPlainText(), QStringLiteral("x6"));
    QVERIFY(window->album().saved());

    spinner->setFocus();
    QTest::keyClick(spinner, Qt::Key_End);
    QTest::keyClick(spinner, Qt::Key_Right);
    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(window->pageView().current_page(), 3);
    QTest::keyClick(spinner, Qt::Key_Left);
    QCOMPARE(child<QLineEdit>("Text2_0")->text(), QStringLiteral("T4"));
    QWheelEvent down(QPointF(5, 5), spinner->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120 * 5),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(spinner, &down);
    QCOMPARE(window->pageView().current_page(), 1);
    QCOMPARE(child<QLineEdit>("Text2_2")->text(), QStringLiteral("T3"));
    QCOMPARE(
        titles(*window), (QStringList { "T1", "T2", "T3", "T4", "T5", "T6", "T7", "T8", "T9" }));

    // An album that shrinks pulls the page back into range.
    spinner->setValue(3);
    window->album().replace_document(album(1), {});
    QCOMPARE(window->pageView().current_page(), 1);
    QCOMPARE(spinner->maximum(), 1);
    // So does an undo that takes away the page on screen (not "2 / 1").
    QVERIFY(window->album().insert_place(1));
    spinner->setValue(2);
    window->commands().action(Command::Undo)->trigger();
    QCOMPARE(child<QLineEdit>("Text4")->text(), QStringLiteral("1"));
    QCOMPARE(spinner->findChild<QLabel*>()->text(), QStringLiteral("/ 1"));
}

void TestMainWindow::pageBoxTakesTypedPages_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("total");
    QTest::newRow("Enter goes there") << 12 << "7" << int(Qt::Key_Return) << 7 << "/ 12";
    QTest::newRow("full-width digits") << 12 << "１１" << int(Qt::Key_Enter) << 11 << "/ 12";
    QTest::newRow("past the end: last page") << 12 << "99" << int(Qt::Key_Return) << 12 << "/ 12";
    QTest::newRow("no number: stays") << 12 << "abc" << int(Qt::Key_Return) << 3 << "/ 12";
    QTest::newRow("zero: stays") << 12 << "0" << int(Qt::Key_Return) << 3 << "/ 12";
    QTest::newRow("Escape: stays") << 12 << "9" << int(Qt::Key_Escape) << 3 << "/ 12";
    QTest::newRow("largest album") << 10922 << "10922" << int(Qt::Key_Return) << 10922 << "/ 10922";
    QTest::newRow("page 1000") << 1200 << "1000" << int(Qt::Key_Return) << 1000 << "/ 1200";
}

// Catches a page box too narrow for its number (page 1000 read "000"), a
// missing page count, a typed page that does not take the window there (or
// leaves the slots showing another page than the box), and a half-typed
// number that stays in the box or moves the number boxes.
void TestMainWindow::pageBoxTakesTypedPages()
{
    QFETCH(int, pages);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, page);
    QFETCH(QString, total);
    window->album().replace_document(album(pages), {});
    auto* spinner = child<PageSpinner>("UpDown1");
    spinner->setValue(3);
    QSignalSpy said(spinner, &PageSpinner::refused);
    auto* box = child<QLineEdit>("Text4");
    box->setFocus();
    box->selectAll();
    if (typed.front().unicode() < 0x80) {
        QTest::keyClicks(box, typed);
    } else { // full-width digits come from the input method
        QInputMethodEvent commit;
        commit.setCommitString(typed);
        QApplication::sendEvent(box, &commit);
    }
    QCOMPARE(child<QLineEdit>("Text1_0")->text(), QStringLiteral("No. 7")); // not the draft
    QTest::keyClick(box, Qt::Key(key));

    // A page out of range, or no number, is told beside the box.
    QCOMPARE(!said.isEmpty(), key != Qt::Key_Escape && leading_number(typed) != page);
    QCOMPARE(window->pageView().current_page(), page);
    QCOMPARE(box->text(), QString::number(page));
    QCOMPARE(child<QLineEdit>("Text2_0")->text(), QStringLiteral("T%1").arg(3 * page - 2));
    QCOMPARE(child<QLineEdit>("Text1_2")->text(), QStringLiteral("No. %1").arg(3 * page));
    QVERIFY(spinner->findChild<QLabel*>());
    QCOMPARE(spinner->findChild<QLabel*>()->text(), total);
    // The whole number fits inside the box, and the count inside the control.
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, box);
    QVERIFY(box->fontMetrics().horizontalAdvance(box->text()) + 2 * frame + 4 <= box->width());
    auto* count = spinner->findChild<QLabel*>();
    QVERIFY(count->fontMetrics().horizontalAdvance(count->text()) <= count->width());
    QVERIFY(box->geometry().right() < spinner->geometry().left());

    // Tab from the box reaches the control, which then shows a focus mark.
    QTest::keyClick(box, Qt::Key_Tab);
    QVERIFY(spinner->hasFocus());
    const QImage focused = spinner->grab().toImage();
    box->setFocus();
    QVERIFY(spinner->grab().toImage() != focused);
}

void TestMainWindow::typingWritesBackAtOnce()
{
    window->album().replace_document(album(3), {});
    child<PageSpinner>("UpDown1")->setValue(3);
    window->album().mark_saved({});
    auto* title = child<TitleEdit>("Text2_1");
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, "A");
    QCOMPARE(window->album().entries().get_field(8, EntryField::Title), QStringLiteral("T8A"));
    QVERIFY(!window->album().saved());

    auto* text = child<QPlainTextEdit>("Text3_1");
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "y");
    QCOMPARE(window->album().entries().get_field(8, EntryField::Text), QStringLiteral("x8\r\ny"));
}

void TestMainWindow::titleLimitAppliesToTypingOnly()
{
    Document d = album(1);
    const QString stored = QStringLiteral("十五文字ある長いタイトルの例です");
    d.entries.set_field(1, EntryField::Title, stored);
    window->album().replace_document(d, {});
    auto* title = child<TitleEdit>("Text2_0");
    QCOMPARE(title->text(), stored);
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), stored);
    title->setFocus();
    title->end(false);
    QTest::keyClicks(title, "x");
    QCOMPARE(title->text(), stored);

    auto* other = child<TitleEdit>("Text2_1");
    other->clear();
    other->setFocus();
    QTest::keyClicks(other, "abcdefghijkl");
    QCOMPARE(other->text(), QStringLiteral("abcdefghij"));
    QCOMPARE(
        window->album().entries().get_field(2, EntryField::Title), QStringLiteral("abcdefghij"));

    // An input-method commit is cut to fit.
    other->setText(QStringLiteral("12345678"));
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("基礎配筋"));
    QApplication::sendEvent(other, &commit);
    QCOMPARE(other->text(), QStringLiteral("12345678基礎"));

    // So is a paste.
    other->setText(QStringLiteral("123456789"));
    other->end(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("abc\ndef"));
    QTest::keyClick(other, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(other->text(), QStringLiteral("123456789a"));
}

void TestMainWindow::pasteThatDoesNotFitIsNoted_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("noted");
    QTest::newRow("fits") << "" << "abc" << "abc" << false;
    QTest::newRow("fills the box exactly") << "12345" << "abcde" << "12345abcde" << false;
    QTest::newRow("cut") << "123456789" << "abc" << "123456789a" << true;
    QTest::newRow("box already full") << "1234567890" << "x" << "1234567890" << true;
    QTest::newRow("line break as a blank") << "12345678" << "a\r\nb" << "12345678a " << true;
}

// Catches a paste cut to ten characters without any sign to the user.
void TestMainWindow::pasteThatDoesNotFitIsNoted()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, after);
    QFETCH(bool, noted);
    auto* title = child<TitleEdit>("Text2_0");
    title->setText(before);
    title->setFocus();
    title->end(false);
    QToolTip::hideText();
    QSignalSpy notes(title, &TitleEdit::pasteCut);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(title->text(), after);
    QCOMPARE(notes.size(), noted ? 1 : 0);
    if (noted) {
        QVERIFY(notes.at(0).at(0).toString().contains(QStringLiteral("10 文字")));
        QCOMPARE(QToolTip::text(), notes.at(0).at(0).toString());
    }
}

// Texts hold CR LF; the box shows "\n". Text a box cannot show exactly (a
// lone CR from another program) must survive being shown and paged over.
void TestMainWindow::textsKeepTheirLineBreaks()
{
    Document d = album(2);
    d.entries.set_field(1, EntryField::Text, QStringLiteral("a\r\nb\r\n"));
    d.entries.set_field(2, EntryField::Text, QStringLiteral("c\rd\ne"));
    window->album().replace_document(d, {});
    QCOMPARE(child<QPlainTextEdit>("Text3_0")->toPlainText(), QStringLiteral("a\nb\n"));
    auto* spinner = child<PageSpinner>("UpDown1");
    spinner->setValue(2);
    spinner->setValue(1);
    QCOMPARE(
        window->album().entries().get_field(1, EntryField::Text), QStringLiteral("a\r\nb\r\n"));
    QCOMPARE(window->album().entries().get_field(2, EntryField::Text), QStringLiteral("c\rd\ne"));
}

void TestMainWindow::insertAndExtractAcrossPages()
{
    Document d = album(2);
    d.entries.set_field(6, EntryField::Title, {});
    d.entries.set_field(6, EntryField::Text, {});
    d.entries.set_field(2, EntryField::Image, QStringLiteral("/nonexistent/p2.jpg"));
    window->album().replace_document(d, {});

    window->pageView().select_slot(1);
    window->album().mark_saved({});
    window->commands().action(Command::InsertLine)->trigger();
    QCOMPARE(titles(*window), (QStringList { "T1", "", "T2", "T3", "T4", "T5" }));
    QCOMPARE(window->album().entries().get_field(3, EntryField::Image),
        QStringLiteral("/nonexistent/p2.jpg"));
    QCOMPARE(window->album().entries().get_field(6, EntryField::Number), QStringLiteral(" 6"));
    QCOMPARE(child<QLineEdit>("Text2_2")->text(), QStringLiteral("T2"));
    QVERIFY(!window->album().saved());
    QCOMPARE(window->pageView().selected_slot(), 1);

    // Extract slot 0 of page 2 pulls page 2's contents forward.
    child<PageSpinner>("UpDown1")->setValue(2);
    window->pageView().select_slot(0);
    window->commands().action(Command::ExtractLine)->trigger();
    QCOMPARE(titles(*window), (QStringList { "T1", "", "T2", "T4", "T5", "" }));
    QCOMPARE(child<QLineEdit>("Text2_0")->text(), QStringLiteral("T4"));
    QCOMPARE(window->album().entries().entry_count(), 6);
}

void TestMainWindow::insertMakesRoomInsteadOfLosingTheLastEntry()
{
    window->album().replace_document(album(1), {});
    window->pageView().select_slot(0);
    window->commands().action(Command::InsertLine)->trigger();
    QCOMPARE(titles(*window), (QStringList { "", "T1", "T2", "T3", "", "" }));
    QCOMPARE(window->album().entries().get_field(6, EntryField::Number), QStringLiteral(" 6"));
    QCOMPARE(window->pageView().highest_page(), 2);

    // At the size limit nothing may be pushed out: the insert is refused.
    Document full;
    for (int i = 1; i <= EntryTable::MaxEntries; ++i)
        full.entries.append_entry(number_text(i), QStringLiteral("T%1").arg(i), {}, {});
    window->album().replace_document(full, {});
    window->commands().action(Command::InsertLine)->trigger();
    QCOMPARE(window->album().entries().entry_count(), EntryTable::MaxEntries);
    QCOMPARE(window->album().entries().get_field(EntryTable::MaxEntries, EntryField::Title),
        QStringLiteral("T32766"));
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("T1"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));
}

void TestMainWindow::menuShortcutsWinOverTextBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("title box") << QStringLiteral("Text2_0");
    QTest::newRow("text box") << QStringLiteral("Text3_0");
}

void TestMainWindow::menuShortcutsWinOverTextBoxes()
{
    QFETCH(QString, box);
    window->album().replace_document(album(2), {});
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    QWidget* focus = window->findChild<QWidget*>(box);
    focus->setFocus();
    QTRY_VERIFY(focus->hasFocus());

    QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QString());
    QCOMPARE(window->album().entries().get_field(2, EntryField::Title), QStringLiteral("T1"));
    QVERIFY(!titles(*window).join(QString()).contains(QStringLiteral("pasted")));

    QTest::keyClick(focus, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("T1"));

    QTest::keyClick(focus, Qt::Key_D, Qt::ControlModifier); // removes slot 0's contents
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QString());
    QCOMPARE(window->album().entries().get_field(1, EntryField::Text), QString());
}

void TestMainWindow::slotMouseSemantics()
{
    Document d = album(1);
    d.entries.set_field(3, EntryField::Image, QStringLiteral("/nonexistent/three.jpg"));
    window->album().replace_document(d, {});
    auto* photo = child<PhotoBox>("Image1_2");

    QTest::mouseClick(photo, Qt::LeftButton);
    QCOMPARE(window->pageView().selected_slot(), 2);
    QCOMPARE(child<SlotFrame>("Shape1_2")->borderColor(), QColor(80, 80, 192));
    QCOMPARE(child<SlotFrame>("Shape1_0")->borderColor(), QColor(192, 192, 192));
    QVERIFY(child<TitleEdit>("Text2_2")->hasFocus());
    // The click fills the zoom window without showing it.
    QVERIFY(window->zoomWindow());
    QCOMPARE(window->zoomWindow()->windowTitle(), QStringLiteral("/nonexistent/three.jpg"));
    QVERIFY(!window->zoomWindow()->isVisible());

    // Right button: select, then the edit menu pops up; its command runs on
    // the slot just selected.
    QTimer::singleShot(0, this, [this] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu, window->commands().editMenu());
        menu->close();
    });
    QTest::mouseClick(child<PhotoBox>("Image1_0"), Qt::RightButton);
    QCOMPARE(window->pageView().selected_slot(), 0);
    // (The offscreen platform leaves the closed menu the active window.)
    QCOMPARE(window->focusWidget(), child<TitleEdit>("Text2_0"));
    QApplication::setActiveWindow(window);

    // Double click opens a photo for that slot; a cancelled dialog moves the
    // focus and counts as an edit.
    window->album().mark_saved({});
    QTest::mouseDClick(child<PhotoBox>("Image1_1"), Qt::LeftButton);
    QCOMPARE(window->pageView().selected_slot(), 1);
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QCOMPARE(dialogs.fileRequests.last().filterIndex, 5);
    QVERIFY(child<TitleEdit>("Text2_1")->hasFocus());
    QVERIFY(!window->album().saved());
}

void TestMainWindow::zoomCaptionIsThePhotoPath_data()
{
    QTest::addColumn<QString>("image");
    QTest::newRow("no photo") << QString();
    QTest::newRow("photo") << QStringLiteral("/nonexistent/zoomed.jpg");
}

// Catches the zoom window of an empty slot titled with the application name
// ("zelkora"), which Qt's platform windows put into an empty title.
void TestMainWindow::zoomCaptionIsThePhotoPath()
{
    QFETCH(QString, image);
    Document d = album(1);
    d.entries.set_field(2, EntryField::Image, image);
    window->album().replace_document(d, {});
    window->pageView().select_slot(1);
    window->commands().action(Command::Zoom)->trigger();
    ZoomWindow* zoom = window->zoomWindow();
    QVERIFY(zoom && zoom->isVisible());
    QCOMPARE(zoom->windowTitle(), image);
    // What the platform window is given: never empty, or it shows "zelkora".
    QCOMPARE(zoom->windowHandle()->title().trimmed(), image);
    QVERIFY(!zoom->windowHandle()->title().isEmpty());
    zoom->close();
}

// A menu item or button that nothing answers, or that neither has a key nor
// says why not, is a command the user cannot use as expected.
void TestMainWindow::everyCommandIsHandled_data()
{
    QTest::addColumn<QString>("action");
    ScriptedDialogs quiet;
    UserSettings probeSettings;
    MainWindow probe(quiet, probeSettings, fixedCover);
    const QList<QAction*> menus = probe.menuBar()->actions();
    for (const QAction* menu : menus) {
        const QList<QAction*> items = menu->menu()->actions();
        for (const QAction* a : items) {
            if (!a->isSeparator())
                QTest::addRow("%s", qPrintable(a->objectName())) << a->objectName();
        }
    }
    QToolBar* bar = probe.commands().toolBar();
    const QList<QAction*> buttons = bar->actions();
    for (QAction* a : buttons) {
        if (const auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a)))
            QTest::addRow("tool bar %s", qPrintable(b->objectName())) << a->objectName();
    }
}

void TestMainWindow::everyCommandIsHandled()
{
    QFETCH(QString, action);
    const QAction* a = child<QAction>(qPrintable(action));
    QVERIFY(a);
    const std::optional<Command> command = window->commands().command_of(a);
    QVERIFY2(command, "no command stands for this item");
    QVERIFY(window->commands().is_handled(*command));
    // A reason is listed exactly for the commands without a key.
    QCOMPARE(qstrlen(CommandSet::reason_without_shortcut(*command)) > 0, a->shortcuts().isEmpty());
}

void TestMainWindow::toolBarDispatchesByKey()
{
    QToolBar* bar = child<QToolBar>("Toolbar1");
    QStringList keys, tips;
    for (QAction* a : bar->actions()) {
        if (qobject_cast<QToolButton*>(bar->widgetForAction(a))) {
            keys << bar->widgetForAction(a)->objectName();
            tips << a->toolTip();
        }
    }
    QCOMPARE(keys,
        (QStringList { "newfile", "openfile", "savefile", "toppage", "printall", "oneprint",
            "photo", "delete", "input", "cutout", "preview", "batchimport" }));
    QCOMPARE(tips,
        (QStringList { "新規作成", "ファイルを開く", "保存", "表紙", "印刷", "単票印刷",
            "写真を開く", "削除", "挿入", "抜取", "印刷プレビュー", "写真の一括取込" }));
    // The 13 places of the original tool bar, then a spacer, the preview and
    // the batch import.
    QCOMPARE(bar->actions().size(), 16);
    for (int i : { 3, 7, 10 })
        QVERIFY(bar->actions().at(i)->isSeparator());
    // No button is hidden under the page number box.
    const QRect pageBox = child<QLineEdit>("Text4")->geometry().united(
        child<QWidget>("UpDown1")->geometry());
    const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>();
    for (const QToolButton* b : buttons) {
        if (!b->isVisible())
            continue;
        const QRect button(b->mapTo(bar->parentWidget(), QPoint(0, 0)), b->size());
        QVERIFY2(!button.intersects(pageBox), qPrintable(b->objectName()));
    }

    window->album().replace_document(album(1), {});
    window->pageView().select_slot(1);
    bar->findChild<QToolButton*>(QStringLiteral("cutout"))->click();
    QCOMPARE(titles(*window), (QStringList { "T1", "T3", "" }));
    bar->findChild<QToolButton*>(QStringLiteral("photo"))->click();
    QCOMPARE(dialogs.fileRequests.size(), 1);
    QVERIFY(child<TitleEdit>("Text2_1")->hasFocus());
}

void TestMainWindow::quitAsksOnlyWhenUnsaved()
{
    window->album().mark_saved({});
    QVERIFY(window->close());
    QVERIFY(dialogs.messages.isEmpty());

    window->show();
    window->album().mark_touched(QStringLiteral("edit"));
    dialogs.messageAnswers << Answer::No;
    window->commands().action(Command::Quit)->trigger();
    QVERIFY(window->isVisible());
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest asked = dialogs.messages.last();
    QCOMPARE(asked.text, QStringLiteral("終了しますか？"));
    QCOMPARE(asked.title, QStringLiteral("Zelkora"));
    QCOMPARE(asked.buttons, MessageButtons::YesNo);
    QCOMPARE(asked.defaultButton, Answer::Yes);
    QCOMPARE(asked.icon, MessageIcon::None);

    // Yes closes the other windows with the main window.
    window->commands().action(Command::Cover)->trigger();
    window->commands().action(Command::Options)->trigger();
    auto* options = window->findChild<QWidget*>(QStringLiteral("frmOptions"));
    QVERIFY(window->coverWindow()->isVisible());
    QVERIFY(options && options->isVisible());
    QVERIFY(!window->album().saved()); // opening the cover window counts as an edit
    dialogs.messageAnswers << Answer::Yes;
    QVERIFY(window->close());
    QVERIFY(!window->isVisible());
    QVERIFY(!window->coverWindow());
    QVERIFY(!window->findChild<QWidget*>(QStringLiteral("frmOptions")));
}

// After a page is shown, the pages before and after it are decoded in the
// background, so that a flip finds its photos in the cache; a flip while
// that is under way neither waits for it nor decodes what is no longer wanted.
void TestMainWindow::neighbourPagesAreDecodedAhead()
{
    window->album().replace_document(photoAlbum(), {});
    QVERIFY(waitForPage(*window));
    window->prefetcher().waitForDone();
    const int decoded = window->photoLoader().decodeCount();
    QCOMPARE(decoded, 6); // page 1 on screen, page 2 ahead
    window->pageView().pageControl()->setValue(2);
    QCOMPARE(window->photoLoader().decodeCount(), decoded); // the flip itself decoded nothing
    QVERIFY(!window->pageView().slot(0).photoBox()->picture().isNull());
    QCoreApplication::processEvents(); // the prefetch starts once the page is drawn
    window->prefetcher().waitForDone();
    QCOMPARE(window->photoLoader().decodeCount(), 9); // page 3 ahead; page 1 was cached

    // A replaced album is drawn once, also from a page it does not have:
    // a file that is no picture is read again on every drawing.
    Document unreadable = album(1);
    unreadable.entries.set_field(1, EntryField::Image, photoDir.filePath(QStringLiteral("x.jpg")));
    QVERIFY(writeAll(unreadable.entries.get_field(1, EntryField::Image), "not a picture"));
    window->album().replace_document(unreadable, {});
    QVERIFY(waitForPage(*window));
    QCOMPARE(window->photoLoader().decodeCount(), 10);
}

// Started with an album, page 1 is shown without photos while the cover
// window is up and its photos are decoded in the background; closing the
// cover shows them from the cache.
void TestMainWindow::startUpDecodesPageOneBehindTheCover()
{
    window->pageView().setPhotosDeferred(true);
    window->album().replace_document(photoAlbum(), {});
    QVERIFY(window->pageView().slot(0).photoBox()->picture().isNull());
    window->prefetch_current_page(); // the cover window is on screen now
    window->prefetcher().waitForDone();
    QCOMPARE(window->photoLoader().decodeCount(), 3);
    window->pageView().setPhotosDeferred(false);
    QCOMPARE(window->pageView().slot(2).photoBox()->picture().pixel(1, 1), qRgb(60, 0, 0));
    QCoreApplication::processEvents(); // the prefetch starts once the page is drawn
    window->prefetcher().waitForDone();
    QCOMPARE(window->photoLoader().decodeCount(), 6); // page 1 once, then page 2 ahead
}

// A page shown cold gets its photos from other threads: the window answers
// meanwhile, and a photo decoded for a page or a slot the user has left (or
// a window already closed) must not land in the slots on screen now.
void TestMainWindow::coldPhotosLandOnTheirOwnSlots_data()
{
    QTest::addColumn<int>("flipTo");
    QTest::addColumn<int>("replaced"); // slot 0 gets photo 9 before the page is filled
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QList<int>>("shown"); // the photos (1 to 9) in slots 0 to 2
    QTest::newRow("page 1") << 1 << 0 << false << QList<int> { 1, 2, 3 };
    QTest::newRow("flipped on at once") << 3 << 0 << false << QList<int> { 7, 8, 9 };
    QTest::newRow("photo replaced") << 1 << 9 << false << QList<int> { 9, 2, 3 };
    QTest::newRow("window closed") << 1 << 0 << true << QList<int> {};
}

void TestMainWindow::coldPhotosLandOnTheirOwnSlots()
{
    QFETCH(int, flipTo);
    QFETCH(int, replaced);
    QFETCH(bool, closed);
    QFETCH(QList<int>, shown);
    const Document d = photoAlbum();
    window->album().replace_document(d, {});
    window->pageView().pageControl()->setValue(flipTo);
    if (replaced)
        window->album().set_image(1, d.entries.get_field(replaced, EntryField::Image));
    if (closed) {
        delete window;
        window = new MainWindow(dialogs, *settings, fixedCover);
        return;
    }
    QVERIFY(waitForPage(*window));
    QTest::qWait(50); // any late photo of the page before would land now
    for (int k = 0; k < 3; ++k)
        QCOMPARE(window->pageView().slot(k).photoBox()->picture().pixel(1, 1), qRgb(shown[k] * 20, 0, 0));
}

// Ctrl+Z inside a title box must undo through the album (the box's own undo
// would leave the album and the box apart), and undo must bring back what an
// extract took away, photo path included.
void TestMainWindow::undoAndRedoByKeys()
{
    Document d = album(2);
    d.entries.set_field(5, EntryField::Image, QStringLiteral("/nonexistent/five.jpg"));
    window->album().replace_document(d, QStringLiteral("/a.zkr"));
    QAction* undo = window->commands().action(Command::Undo);
    QAction* redo = window->commands().action(Command::Redo);
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());

    auto* title = child<TitleEdit>("Text2_0");
    title->clear();
    window->album().mark_saved(QStringLiteral("/a.zkr"));
    title->setFocus();
    QTest::keyClicks(title, "abc");
    QCOMPARE(undo->text(), QStringLiteral("元に戻す(タイトルの入力)"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(title->text(), QString());
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QString());
    QVERIFY(window->album().saved());
    QCOMPARE(redo->text(), QStringLiteral("やり直し(タイトルの入力)"));
    QTest::keyClick(title, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(title->text(), QStringLiteral("abc"));
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("abc"));
    QVERIFY(!window->album().saved());

    // Leaving the box ends the step: Ctrl+Z takes back only the text typed after.
    auto* text = child<QPlainTextEdit>("Text3_0");
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClicks(text, "de");
    title->setFocus();
    QTest::keyClicks(title, "f");
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(title->text(), QStringLiteral("abc"));
    QCOMPARE(window->album().entries().get_field(1, EntryField::Text), QStringLiteral("x1de"));

    // Extract on page 2, then undo from page 1: the page of the change comes
    // back on screen with its slot selected.
    window->pageView().pageControl()->setValue(2);
    window->pageView().select_slot(1);
    QTest::keyClick(title, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(window->album().entries().get_field(5, EntryField::Title), QStringLiteral("T6"));
    window->pageView().pageControl()->setValue(1);
    window->pageView().select_slot(0);
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); // nothing to redo
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(window->album().entries().get_field(5, EntryField::Title), QStringLiteral("T5"));
    QCOMPARE(window->album().entries().get_field(5, EntryField::Image),
        QStringLiteral("/nonexistent/five.jpg"));
    QCOMPARE(window->pageView().current_page(), 2);
    QCOMPARE(window->pageView().selected_slot(), 1);
    QCOMPARE(child<QLineEdit>("Text2_1")->text(), QStringLiteral("T5"));
    QTest::keyClick(title, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window->album().entries().get_field(5, EntryField::Title), QStringLiteral("T6"));
}

void TestMainWindow::slotKeysSelect_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("slot");
    QTest::newRow("Ctrl+1") << int(Qt::Key_1) << 0;
    QTest::newRow("Ctrl+2") << int(Qt::Key_2) << 1;
    QTest::newRow("Ctrl+3") << int(Qt::Key_3) << 2;
}

// Keyboard users select a slot from anywhere, also from another slot's box.
void TestMainWindow::slotKeysSelect()
{
    QFETCH(int, key);
    QFETCH(int, slot);
    window->pageView().select_slot(slot == 0 ? 2 : 0);
    QWidget* from = child<QPlainTextEdit>(slot == 1 ? "Text3_2" : "Text3_1");
    from->setFocus();
    QTest::keyClick(from, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(window->pageView().selected_slot(), slot);
    for (int k = 0; k < 3; ++k)
        QCOMPARE(window->pageView().slot(k).frame()->borderColor(),
            k == slot ? QColor(80, 80, 192) : QColor(192, 192, 192));
    QVERIFY(window->pageView().slot(slot).titleBox()->hasFocus());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
