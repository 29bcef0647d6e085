#include "drawnelements.h"

#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/photobox.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "print/photopage.h"
#include "print/printcommands.h"
#include "print/printersetupdialog.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

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

private:
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    Document album(int pages, bool photos);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
};

void TestPrintCommands::initTestCase()
{
    QImage green(400, 300, QImage::Format_RGB32);
    green.fill(Qt::green);
    QVERIFY(green.save(file("green.png")));
}

void TestPrintCommands::init()
{
    dialogs.clear();
    window = new MainWindow(dialogs, [] { return CoverData(); });
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
    window->commands().action(QStringLiteral("print_menu"))->trigger();
    const PrintRequest asked = dialogs.printRequests.last();
    QCOMPARE(asked.minPage, 1);
    QCOMPARE(asked.maxPage, 10);
    QCOMPARE(asked.fromPage, 1);
    QVERIFY(!asked.selectionEnabled);
    QCOMPARE(pdfPages(file("album.pdf")), 3); // cover and two pages
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPrintCommands::cancelPrintsNothing()
{
    dialogs.printAnswers << false;
    dialogs.printToPdf = file("cancelled.pdf");
    window->printCommands().print_menu_Click();
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
    window->printCommands().print_menu_Click();
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
    window->slot(2).titleBox()->setText(QStringLiteral("画面の題"));

    const PageSlots slots = window->printCommands().screen_page(300);
    QCOMPARE(slots[0].numberLabel, QStringLiteral("No. 1"));
    QCOMPARE(slots[2].title, QStringLiteral("画面の題"));
    QVERIFY(slots[0].hasPhoto && slots[1].hasPhoto && !slots[2].hasPhoto);
    QCOMPARE(slots[0].picture.size(), QSize(1417, 1028));
    QCOMPARE(slots[1].picture.size(), window->slot(1).photoBox()->picture().size());

    dialogs.printToPdf = file("page.pdf");
    window->printCommands().print_setting_Click();
    window->commands().action(QStringLiteral("oneprint_menu"))->trigger();
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
    window->printCommands().print_setting_Click();
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

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
