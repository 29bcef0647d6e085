#include "../print/drawnelements.h"

#include "app/albumtools.h"
#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "app/photobox.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "model/preferences.h"
#include "print/fontsubstitutes.h"
#include "print/photopage.h"
#include "app/printcommands.h"
#include "ui/printersetupdialog.h"
#include "ui/overviewwindow.h"
#include "ui/printpreview.h"
#include "pagewait.h"
#include "scripteddialogs.h"
#include "ui/optionsdialog.h"
#include "ui/photoshapechoice.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "testfiles.h"
#include "testphotos.h"
#include "model/usersettings.h"

using namespace zk;

namespace {

int pdfPages(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { path });
    if (!info.waitForFinished(30000))
        return -1;
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.section(QLatin1Char(':'), 1).trimmed().toInt();
    }
    return -1;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void printCommandPrintsTheWholeAlbum();
    void cancelPrintsNothing();
    void copiesAreSeparateJobs();
    void anErrorStopsTheJobAndSaysWhere();
    void singlePagePrintsWhatTheSlotsShow();
    void printerChoiceIsKeptForTheRun();
    void setupOffersPdfEvenWithoutPrinters();
    void pageRangeFromTheDialog_data();
    void pageRangeFromTheDialog();
    void checkRunsBeforePrinting_data();
    void checkRunsBeforePrinting();
    void previewDrawsWhatThePrintDraws();
    void keepShapeOnScreenAndOnPaper_data();
    void keepShapeOnScreenAndOnPaper();
    void editsDuringAPrintDoNotReachIt();

private:
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    Document album(int pages, bool photos);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestPrintCommands::initTestCase()
{
    // The print fonts, as the program installs them at start.
    install_font_substitutes();
    // The user's settings go to a test location, starting from the defaults.
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(Preferences::default_file());
    QVERIFY(writeSolidPhoto(file("green.png"), QSize(400, 300), Qt::green));
}

void TestPrintCommands::init()
{
    dialogs.clear();
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [] { return CoverData(); });
    window->show();
}

void TestPrintCommands::cleanup()
{
    window->album().mark_saved({});
    delete window;
}

Document TestPrintCommands::album(int pages, bool photos)
{
    Document d;
    for (int i = 1; i <= 3 * pages; ++i)
        d.entries.append_entry(number_text(i), QStringLiteral("題%1").arg(i), {},
            photos ? file("green.png") : QString());
    return d;
}

void TestPrintCommands::printCommandPrintsTheWholeAlbum()
{
    window->album().replace_document(album(2, true), {});
    dialogs.printAnswers << true;
    dialogs.printToPdf = file("album.pdf");
    window->commands().action(Command::Print)->trigger();
    const PrintRequest asked = dialogs.printRequests.last();
    QCOMPARE(asked.minPage, 1);
    QCOMPARE(asked.maxPage, 2); // the album's highest page
    QCOMPARE(asked.fromPage, 1);
    QVERIFY(!asked.selectionEnabled);
    QCOMPARE(pdfPages(file("album.pdf")), 3); // cover and two pages
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPrintCommands::cancelPrintsNothing()
{
    dialogs.printAnswers << false;
    dialogs.printToPdf = file("cancelled.pdf");
    window->printCommands().print_album();
    QVERIFY(!QFile::exists(file("cancelled.pdf")));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPrintCommands::copiesAreSeparateJobs()
{
    window->album().replace_document(album(1, true), {});
    RecordingPrintDevice device;
    QVERIFY(window->printCommands().print_copies(device, 2).ok());
    const QStringList drawn = drawnElements(device.calls());
    QCOMPARE(drawn.count(QStringLiteral("end")), 2);
    const int secondJob = drawn.indexOf(QStringLiteral("end")) + 1;
    QVERIFY(drawn.at(secondJob).startsWith(QLatin1String("origin 0 4"))); // its own cover
    QVERIFY(
        drawn.mid(secondJob).join(QLatin1Char('\n')).contains(QStringLiteral("工 事 写 真 帳")));
}

void TestPrintCommands::anErrorStopsTheJobAndSaysWhere()
{
    Document d = album(3, true);
    d.entries.set_field(5, EntryField::Image, file("gone.jpg"));
    window->album().replace_document(d, {});
    RecordingPrintDevice device;
    const PrintResult result = window->printCommands().print_copies(device, 2);
    QCOMPARE(result.status, PrintStatus::Failed);
    QCOMPARE(result.entry, 5);
    const QStringList drawn = drawnElements(device.calls());
    QCOMPARE(drawn.count(QStringLiteral("abort")), 1);
    QCOMPARE(drawn.count(QStringLiteral("end")), 0); // no second copy

    // Through the command, the user is told which entry and file, and an
    // earlier PDF of the same name stays as it was.
    QVERIFY(writeAll(file("failed.pdf"), "earlier"));
    dialogs.printAnswers << true;
    dialogs.printToPdf = file("failed.pdf");
    window->printCommands().print_album();
    QCOMPARE(readAll(file("failed.pdf")), QByteArray("earlier"));
    QCOMPARE(QDir(dir.path()).entryList({ QStringLiteral("failed.pdf*") }, QDir::Files).size(), 1);
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("No. 5")));
    QVERIFY(dialogs.lastMessage().contains(file("gone.jpg")));
    QCOMPARE(dialogs.messages.last().title, QStringLiteral("zelkora"));
}

// The single-page print takes number, title and text from the boxes and the
// photos from their files at print resolution; only a file that can no
// longer be read falls back to the picture on screen.
void TestPrintCommands::singlePagePrintsWhatTheSlotsShow()
{
    Document d = album(1, false);
    d.entries.set_field(1, EntryField::Image, file("green.png"));
    QFile::copy(file("green.png"), file("soon-gone.png"));
    d.entries.set_field(2, EntryField::Image, file("soon-gone.png"));
    window->album().replace_document(d, {});
    QFile::remove(file("soon-gone.png"));
    window->pageView().slot(2).titleBox()->setText(QStringLiteral("画面の題"));

    const PageSlots slots = window->printCommands().screen_page(300);
    QCOMPARE(slots[0].numberLabel, QStringLiteral("No. 1"));
    QCOMPARE(slots[2].title, QStringLiteral("画面の題"));
    QVERIFY(slots[0].hasPhoto && slots[1].hasPhoto && !slots[2].hasPhoto);
    QCOMPARE(slots[0].picture.size(), QSize(1417, 1028));
    QCOMPARE(slots[1].picture.size(), window->pageView().slot(1).photoBox()->picture().size());

    dialogs.printToPdf = file("page.pdf");
    window->printCommands().choose_printer();
    window->commands().action(Command::PrintPage)->trigger();
    QCOMPARE(pdfPages(file("page.pdf")), 1);
}

void TestPrintCommands::printerChoiceIsKeptForTheRun()
{
    // This machine has no printer: the single print says where to choose one.
    if (window->printCommands().printer().printerName().isEmpty()) {
        window->printCommands().print_page();
        QVERIFY(dialogs.lastMessage().contains(QStringLiteral("プリンタ設定")));
    }
    dialogs.printToPdf = file("chosen.pdf");
    window->printCommands().choose_printer();
    QCOMPARE(dialogs.printerSetups, 1);
    dialogs.printToPdf.clear();
    window->printCommands().print_page();
    QVERIFY(QFile::exists(file("chosen.pdf")));
    QCOMPARE(window->printCommands().printer().outputFileName(), file("chosen.pdf"));
}

void TestPrintCommands::setupOffersPdfEvenWithoutPrinters()
{
    QPrinter printer;
    PrinterSetupDialog setup(printer, nullptr);
    QComboBox* list = setup.printerList();
    QVERIFY(list->count() >= 1);
    QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("PDF ファイル"));
}

// The range chosen in the print dialog is printed, numbered as the page box
// numbers pages; the cover comes with a range from page 1.
void TestPrintCommands::pageRangeFromTheDialog_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("sheets");
    QTest::newRow("all") << 0 << 0 << 4;
    QTest::newRow("page 1 with the cover") << 1 << 1 << 2;
    QTest::newRow("pages 2 to 3") << 2 << 3 << 2;
    QTest::newRow("last page") << 3 << 3 << 1;
}

void TestPrintCommands::pageRangeFromTheDialog()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, sheets);
    window->album().replace_document(album(3, true), {});
    dialogs.printAnswers << true;
    dialogs.printToPdf = file("range.pdf");
    dialogs.printFrom = from;
    dialogs.printTo = to;
    window->printCommands().print_album();
    QCOMPARE(dialogs.printRequests.last().maxPage, 3);
    QCOMPARE(pdfPages(file("range.pdf")), sheets);
    QVERIFY(dialogs.messages.isEmpty());
    QFile::remove(file("range.pdf"));
}

// A clean album prints without asking; problems are shown first, and the
// user's answer decides: print anyway, stop, or go to the entry named.
void TestPrintCommands::checkRunsBeforePrinting_data()
{
    QTest::addColumn<bool>("clean");
    QTest::addColumn<bool>("printAnyway");
    QTest::addColumn<int>("goTo");
    QTest::newRow("clean album") << true << false << 0;
    QTest::newRow("problem, printed anyway") << false << true << 0;
    QTest::newRow("problem, stopped") << false << false << 0;
    QTest::newRow("problem, go to the entry") << false << false << 5;
}

void TestPrintCommands::checkRunsBeforePrinting()
{
    QFETCH(bool, clean);
    QFETCH(bool, printAnyway);
    QFETCH(int, goTo);
    // Each photo its own file: one file placed twice is a problem of its own.
    Document d = album(2, true);
    for (int i = 1; i <= 6; ++i) {
        const QString own = file("green.png").replace(".png", QStringLiteral("%1.png").arg(i));
        QFile::copy(file("green.png"), own);
        d.entries.set_field(i, EntryField::Image, own);
    }
    if (!clean)
        d.entries.set_field(
            5, EntryField::Title, QStringLiteral("とても長い題名が欄からはみ出します"));
    window->album().replace_document(d, {});
    dialogs.checkAnswers << CheckAnswer { printAnyway, goTo };
    dialogs.printAnswers << true;
    dialogs.printToPdf = file("checked.pdf");
    window->printCommands().print_album();
    QVERIFY2(dialogs.reviewedProblems.size() == (clean ? 0 : 1),
        qPrintable(dialogs.reviewedProblems.isEmpty()
                ? QString()
                : dialogs.reviewedProblems.last().first().toString()));
    if (!clean) {
        QCOMPARE(dialogs.reviewedProblems.last().size(), 1);
        QCOMPARE(dialogs.reviewedProblems.last().first().entry, 5);
    }
    QCOMPARE(QFile::exists(file("checked.pdf")), clean || printAnyway);
    QCOMPARE(window->pageView().current_page(), goTo ? 2 : 1);
    QCOMPARE(window->pageView().selected_slot(), goTo ? 1 : 0);
    QFile::remove(file("checked.pdf"));
}

// Every sheet of the preview is drawn by the same calls as the print draws
// it, pictures at print resolution included, for the album and for the page
// on screen; and it reaches the screen.
void TestPrintCommands::previewDrawsWhatThePrintDraws()
{
    Document d = album(3, true);
    d.entries.set_field(5, EntryField::Image, {});
    d.entries.set_field(7, EntryField::Image, {});
    d.entries.set_field(8, EntryField::Image, {});
    d.entries.set_field(9, EntryField::Image, {}); // page 3 prints as an empty sheet
    window->album().replace_document(d, {});

    RecordingPrintDevice printed;
    QVERIFY(window->printCommands().print_copies(printed, 1).ok());
    PrintPreview preview(window->album(), window->printCommands(),
        window->pageView().current_page(), PrintPreview::Scope::Album, window);
    QCOMPARE(preview.sheetCount(), 4);
    RecordingPrintDevice previewed;
    for (int sheet = 0; sheet < preview.sheetCount(); ++sheet) {
        if (sheet > 1)
            previewed.newPage(); // the cover makes its own
        preview.drawSheet(sheet, previewed);
    }
    previewed.endJob();
    QCOMPARE(drawnElements(previewed.calls()), drawnElements(printed.calls()));
    QVERIFY(drawnElements(printed.calls()).filter("1417x1028").size() == 5);

    // The check's findings are shown with their sheet: every entry here uses
    // the same file, so page 1 tells of No.2 and No.3, the cover of nothing.
    auto* notice = preview.findChild<QLabel*>(QStringLiteral("previewNotice"));
    preview.showSheet(0);
    QVERIFY(notice->text().isEmpty());
    preview.showSheet(1);
    QVERIFY2(notice->text().startsWith(QLatin1String("No.2: ")) && notice->text().contains("No.3: ")
            && !notice->text().contains("No.4: "),
        qPrintable(notice->text()));
    const QImage shown = preview.shownImage();
    QVERIFY(!shown.isNull());
    QVERIFY(shown.pixel(shown.width() * 80 / 210, shown.height() * 50 / 297) == qRgb(0, 255, 0));
    // The sheet typed is the one shown (not the one after).
    auto* sheetBox = preview.findChild<QSpinBox*>(QStringLiteral("previewSheet"));
    sheetBox->setValue(3);
    QCOMPARE(QPoint(preview.currentSheet(), sheetBox->value()), QPoint(2, 3));

    RecordingPrintDevice single;
    QVERIFY(print_page(single, window->printCommands().screen_page(300)).ok());
    PrintPreview page(window->album(), window->printCommands(), window->pageView().current_page(),
        PrintPreview::Scope::CurrentPage, window);
    QCOMPARE(page.sheetCount(), 1);
    RecordingPrintDevice pagePreview;
    page.drawSheet(0, pagePreview);
    pagePreview.endJob();
    QCOMPARE(drawnElements(pagePreview.calls()), drawnElements(single.calls()));
}

// 写真の縦横比を保つ: a 4:3 photo in the wider slot gets white margins at its
// sides on screen, and on paper keeps 4:3 inside its 120 x 87 mm box; off,
// it fills both.
void TestPrintCommands::keepShapeOnScreenAndOnPaper_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QString>("drawn");
    QTest::newRow("stretched") << false << "19.5 11.0 120.0 87.0";
    QTest::newRow("shape kept") << true << "21.5 11.0 115.9 87.0";
}

void TestPrintCommands::keepShapeOnScreenAndOnPaper()
{
    QFETCH(bool, keep);
    QFETCH(QString, drawn);
    // Chosen in the options window and applied with 更新.
    window->album().replace_document(album(1, true), {});
    window->commands().action(Command::Options)->trigger();
    auto* options = window->findChild<OptionsDialog*>();
    QVERIFY(options);
    options->photoShapeChoice()->setChecked(keep);
    options->findChild<QPushButton*>(QStringLiteral("cmdApply"))->click();
    QCOMPARE(Preferences::load().keepPhotoShape, keep);
    QVERIFY(waitForPage(*window));
    PhotoBox* box = window->pageView().slot(0).photoBox();
    const QImage screen = box->grab().toImage();
    const QRgb edge = screen.pixel(3, screen.height() / 2);
    QCOMPARE(edge == qRgb(0, 255, 0), !keep);
    QCOMPARE(screen.pixel(screen.width() / 2, screen.height() / 2), qRgb(0, 255, 0));

    RecordingPrintDevice device;
    QVERIFY(window->printCommands().print_copies(device, 1).ok());
    const QStringList picture
        = drawnElements(device.calls()).filter("picture").first().split(' ').mid(1, 4);
    QStringList rounded;
    for (const QString& v : picture)
        rounded << QString::number(v.toDouble(), 'f', 1);
    QCOMPARE(rounded.join(' '), drawn);
    options->close();

    // The next start shows photos as the stored setting says.
    UserSettings nextSettings;
    MainWindow next(dialogs, nextSettings, [] { return CoverData(); });
    next.album().replace_document(album(1, true), {});
    next.show();
    QVERIFY(QTest::qWaitForWindowExposed(&next));
    QVERIFY(waitForPage(next));
    const QImage nextScreen = next.pageView().slot(0).photoBox()->grab().toImage();
    QCOMPARE(nextScreen.pixel(3, nextScreen.height() / 2) == qRgb(0, 255, 0), !keep);
    next.album().mark_saved({});
    QFile::remove(Preferences::default_file());
}

// The progress window lets the event loop run while workers decode the pages
// ahead: photos cleared in the overview meanwhile must not reach the print.
void TestPrintCommands::editsDuringAPrintDoNotReachIt()
{
    window->album().replace_document(album(4, true), {});
    window->commands().action(Command::Overview)->trigger();
    OverviewWindow* overview = window->albumTools().overview();
    overview->select_positions(4, 9);
    RecordingPrintDevice device;
    const PrintResult result = window->printCommands().print_copies(device, 1, [&](int page, int) {
        if (page == 1)
            overview->clear_selection();
        return true;
    });
    QVERIFY2(result.ok(), qPrintable(result.message));
    QCOMPARE(drawnElements(device.calls()).filter("1417x1028").size(), 12);
}

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
