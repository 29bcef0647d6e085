// Faults of the window layer that the unit tests of its parts let through:
// the unsaved state, the real dialogs' settings, what reaches the printer,
// the slot layout, and failures of the disk under a save or a PDF.
// The window is driven through its actions and controls by object name and
// through the dialogs layer, as a user drives it.

#include "docfile/albumlock.h"
#include "app/mainwindow.h"
#include "app/photobox.h"
#include "app/qtdialogs.h"
#include "app/zoomwindow.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "print/albumprint.h"
#include "print/painterprintdevice.h"
#include "recordingprintdevice.h"
#include "filesizelimit.h"
#include "pagewait.h"
#include "scripteddialogs.h"
#include "testfiles.h"
#include "testphotos.h"
#include "model/usersettings.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <sys/stat.h>

using namespace zk;

namespace {

// Scripted dialogs that also keep the printer the print dialog was shown for.
class RecordingDialogs : public ScriptedDialogs
{
public:
    bool print(QWidget* parent, QPrinter& printer, const PrintRequest& request) override
    {
        lastPrinter = &printer;
        return ScriptedDialogs::print(parent, printer, request);
    }
    // The real printer set-up window, for tests that inspect it.
    void printerSetup(QWidget* parent, QPrinter& printer) override
    {
        if (realPrinterSetup)
            QtDialogs().printerSetup(parent, printer);
        else
            ScriptedDialogs::printerSetup(parent, printer);
    }
    QPrinter* lastPrinter = nullptr;
    bool realPrinterSetup = false;
};

// Presses 中止 in the print progress window as soon as the window is set up.
class CancelProgress : public QObject
{
public:
    bool cancelled = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowTitleChange) {
            if (auto* progress = qobject_cast<QProgressDialog*>(watched)) {
                progress->cancel();
                cancelled = true;
            }
        }
        return false;
    }
};

// A PDF writer whose newPage() fails at the given call, as a printer that
// runs out of paper or goes away mid-job.
class RefusingPdfWriter : public QPdfWriter
{
public:
    RefusingPdfWriter(const QString& file, int refuseAt) : QPdfWriter(file), refuseAt(refuseAt) { }
    bool newPage() override { return ++calls != refuseAt && QPdfWriter::newPage(); }

private:
    int refuseAt;
    int calls = 0;
};

// Two pages: entry i has title "T<i>" and text "x<i>".
QByteArray albumBytes()
{
    Document d;
    for (int i = 1; i <= 6; ++i)
        d.entries.append_entry(
            number_text(i), QStringLiteral("T%1").arg(i), QStringLiteral("x%1").arg(i), {});
    return encode_document(d).bytes;
}

// The widths of every stroke in a PDF written by Qt (content streams deflated).
QList<double> pdfLineWidths(const QByteArray& pdf)
{
    static const QRegularExpression width(QStringLiteral(R"((?:^|\s)([\d.]+) w(?=\s))"));
    QList<double> widths;
    qsizetype at = 0;
    while ((at = pdf.indexOf("stream\n", at)) >= 0) {
        const qsizetype start = at + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (end < 0)
            break;
        QByteArray packed = pdf.mid(start, end - start);
        // qUncompress wants the size first; it grows its buffer as needed.
        packed.prepend(QByteArray::fromHex("00000400"));
        const QString content = QString::fromLatin1(qUncompress(packed));
        for (const QRegularExpressionMatch& m : width.globalMatch(content))
            widths << m.captured(1).toDouble();
        at = end;
    }
    return widths;
}

} // namespace

class TestWindowGuards : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // Each edit, from a freshly saved album, makes quitting ask; no edit does not.
    void editsMakeQuitAsk_data();
    void editsMakeQuitAsk();
    // A save that fails (full disk, a target that is no file) says why, keeps
    // the target and leaves the album unsaved; one that succeeds saves.
    void saveOutcomes_data();
    void saveOutcomes();
    // The real file dialogs as the commands open them.
    void realFileDialogs_data();
    void realFileDialogs();
    // Print to PDF: one copy on the printer, frames no hairlines, and a disk
    // that fills up at any point of the job is reported, the old PDF kept.
    void printToPdf_data();
    void printToPdf();
    // 中止 in the progress window stops the print: the old PDF stays, no message.
    void cancelInProgressPrintsNothing();
    // A printer that refuses the next sheet or fails as the job ends stops
    // the print with a failure, never "printed".
    void deviceFaultsFailThePrint_data();
    void deviceFaultsFailThePrint();
    // The paper chosen in the real printer set-up window is the paper printed on.
    void chosenPaperIsUsed_data();
    void chosenPaperIsUsed();
    // The controls of the three slots stand where the layout puts them.
    void slotLayout_data();
    void slotLayout();
    // A title or text too long to lay out in time is shown in part in a box
    // that cannot be edited; saving writes it back whole.
    void longTextsStayWhole_data();
    void longTextsStayWhole();
    // A photo that cannot be shown says why in its slot and in the zoom window.
    void photoFailuresSayWhy_data();
    void photoFailuresSayWhy();
    // A photo whose path the album file cannot store is placed, and the user
    // is told at once what will stop the save.
    void unsavablePhotoPathIsToldAtOnce();
    // However text reaches the title box, it holds no line break.
    void titleStaysOneLine_data();
    void titleStaysOneLine();

private:
    void openSaved(); // opens the album file and saves it, so that it is saved
    bool quitAsks(); // closes the window (answering No) and tells whether it asked
    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
    template <typename T> T* child(const QString& name) { return window->findChild<T*>(name); }
    QString path(const char* name) const { return dir->filePath(QLatin1String(name)); }

    RecordingDialogs dialogs;
    std::unique_ptr<QTemporaryDir> dir;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestWindowGuards::init()
{
    dir = std::make_unique<QTemporaryDir>();
    dialogs.clear();
    dialogs.lastPrinter = nullptr;
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [] { return CoverData(); });
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void TestWindowGuards::cleanup()
{
    // Quit without a question whatever the test left.
    dialogs.messageAnswers = { Answer::Yes };
    window->close();
    delete window;
    window = nullptr;
}

void TestWindowGuards::openSaved()
{
    QVERIFY(writeAll(path("album.zkr"), albumBytes()));
    dialogs.openAnswers << path("album.zkr");
    action("file_open")->trigger();
    dialogs.saveAnswers << path("album.zkr");
    action("file_save")->trigger();
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
    QCOMPARE(child<QLineEdit>("Text2_0")->text(), QStringLiteral("T1"));
}

bool TestWindowGuards::quitAsks()
{
    const qsizetype before = dialogs.messages.size();
    dialogs.messageAnswers = { Answer::No };
    window->close();
    const bool asked = dialogs.messages.size() > before
        && dialogs.messages.last().text == QStringLiteral("終了しますか？");
    dialogs.messageAnswers.clear();
    if (!window->isVisible())
        window->show();
    return asked;
}

void TestWindowGuards::editsMakeQuitAsk_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing") << "nothing" << false;
    QTest::newRow("typing a title") << "title" << true;
    QTest::newRow("typing only in a text box") << "text" << true;
    QTest::newRow("opening the cover window") << "cover" << true;
    QTest::newRow("inserting a place") << "input_line" << true;
    QTest::newRow("taking a place out") << "delete_line" << true;
    QTest::newRow("clearing a photo") << "delete_image_menu" << true;
}

void TestWindowGuards::editsMakeQuitAsk()
{
    QFETCH(QString, edit);
    QFETCH(bool, asks);
    openSaved();
    QVERIFY(!quitAsks()); // the row starts from a saved album

    if (edit == QLatin1String("title")) {
        auto* box = child<QLineEdit>("Text2_1");
        box->setFocus();
        QTest::keyClicks(box, "a");
    } else if (edit == QLatin1String("text")) {
        auto* box = child<QPlainTextEdit>("Text3_2");
        box->setFocus();
        QTest::keyClicks(box, "a");
    } else if (edit == QLatin1String("cover")) {
        action("file_header")->trigger();
        QApplication::processEvents();
    } else if (edit != QLatin1String("nothing")) {
        action(qPrintable(edit))->trigger();
    }
    QCOMPARE(quitAsks(), asks);
}

void TestWindowGuards::saveOutcomes_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("kind"); // file, fifo, folder
    QTest::addColumn<qint64>("limit"); // bytes a file may reach; -1 for no limit
    QTest::addColumn<QString>("cause"); // empty: the save succeeds

    QTest::newRow("saved") << "other.zkr"
                           << "file" << -1ll << QString();
    QTest::newRow("disk full") << "other.zkr"
                               << "file" << 100ll
                               << QStringLiteral("ディスクの空き容量が足りません");
    QTest::newRow("disk full, nothing written")
        << "other.zkr"
        << "file" << 0ll << QStringLiteral("ディスクの空き容量が足りません");
    QTest::newRow("fifo") << "fifo.zkr"
                          << "fifo" << -1ll << QStringLiteral("通常のファイルではない");
    QTest::newRow("folder") << "folder.zkr"
                            << "folder" << -1ll << QStringLiteral("フォルダ");
}

void TestWindowGuards::saveOutcomes()
{
    QFETCH(QString, target);
    QFETCH(QString, kind);
    QFETCH(qint64, limit);
    QFETCH(QString, cause);
    openSaved();
    const QString file = dir->filePath(target);
    const QByteArray old(5000, 'o');
    if (kind == QLatin1String("file"))
        QVERIFY(writeAll(file, old));
    else if (kind == QLatin1String("fifo"))
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    else
        QVERIFY(QDir(dir->path()).mkdir(target));
    const QStringList before = QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden);

    auto* box = child<QPlainTextEdit>("Text3_0");
    box->setFocus();
    QTest::keyClicks(box, "edited");
    dialogs.saveAnswers << file;
    {
        std::unique_ptr<FileSizeLimit> full;
        if (limit >= 0)
            full = std::make_unique<FileSizeLimit>(rlim_t(limit));
        action("file_save")->trigger();
    }

    if (cause.isEmpty()) {
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
        QVERIFY(readAll(file).contains("editedx1"));
        QVERIFY(!quitAsks());
        return;
    }
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.lastMessage().contains(file) && dialogs.lastMessage().contains(cause),
        qPrintable(dialogs.lastMessage()));
    QVERIFY(!dialogs.lastMessage().contains(QLatin1String("canceled")));
    if (kind == QLatin1String("file"))
        QCOMPARE(readAll(file), old);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QVERIFY(quitAsks());
}

void TestWindowGuards::realFileDialogs_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("confirmsOverwrite");
    QTest::addColumn<QString>("filter");
    QTest::newRow("save") << "file_save" << int(QFileDialog::AcceptSave) << true
                          << QStringLiteral("ZELKORA ファイル (*.zkr)");
    QTest::newRow("open") << "file_open" << int(QFileDialog::AcceptOpen) << false
                          << QStringLiteral("ZELKORA ファイル (*.zkr)");
    QTest::newRow("photo") << "load_image_menu" << int(QFileDialog::AcceptOpen) << false
                           << QStringLiteral("JPG ファイル (*.jpg)");
}

void TestWindowGuards::realFileDialogs()
{
    QFETCH(QString, command);
    QFETCH(int, mode);
    QFETCH(bool, confirmsOverwrite);
    QFETCH(QString, filter);

    QtDialogs real;
    UserSettings ownSettings;
    MainWindow own(real, ownSettings, [] { return CoverData(); });
    own.show();
    QVERIFY(QTest::qWaitForWindowExposed(&own));

    int seen = 0;
    QFileDialog::AcceptMode acceptMode {};
    bool confirms = false;
    QString selectedFilter;
    QTimer::singleShot(0, &own, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        ++seen;
        acceptMode = dialog->acceptMode();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        selectedFilter = dialog->selectedNameFilter();
        dialog->reject();
    });
    own.findChild<QAction*>(command)->trigger();
    QCOMPARE(seen, 1);
    QCOMPARE(int(acceptMode), mode);
    QCOMPARE(confirms, confirmsOverwrite);
    QCOMPARE(selectedFilter, filter);
}

void TestWindowGuards::printToPdf_data()
{
    QTest::addColumn<qint64>("limit"); // -1: no limit; else bytes the PDF may reach
    QTest::addColumn<bool>("link"); // the chosen file is a link to the old PDF

    QTest::newRow("printed") << -1ll << false;
    QTest::newRow("printed through a link") << -1ll << true;
    QTest::newRow("disk full at once") << 0ll << false;
    QTest::newRow("disk full in the middle") << 2000ll << false;
    QTest::newRow("disk full at the very end") << 1ll << false; // set from the real size
}

void TestWindowGuards::printToPdf()
{
    QFETCH(qint64, limit);
    QFETCH(bool, link);
    openSaved();
    const QString old = path("old.pdf");
    QVERIFY(writeAll(old, "%PDF- an older album"));
    QVERIFY(::chmod(QFile::encodeName(old).constData(), 0640) == 0);
    QString chosen = old;
    if (link) {
        chosen = path("link.pdf");
        QVERIFY(QFile::link(old, chosen));
    }
    if (limit == 1) {
        // A full print first, to learn how large the PDF comes out.
        dialogs.printAnswers << true;
        dialogs.printToPdf = path("probe.pdf");
        action("print_menu")->trigger();
        limit = QFileInfo(path("probe.pdf")).size() - 10;
        QVERIFY(limit > 1000);
        QFile::remove(path("probe.pdf"));
    }
    const QStringList before = QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden);

    dialogs.printAnswers << true;
    dialogs.printToPdf = chosen;
    dialogs.printCopies = 3;
    {
        std::unique_ptr<FileSizeLimit> full;
        if (limit >= 0)
            full = std::make_unique<FileSizeLimit>(rlim_t(limit));
        action("print_menu")->trigger();
    }
    dialogs.printCopies = 1;
    QVERIFY(dialogs.lastPrinter);
    QCOMPARE(dialogs.lastPrinter->copyCount(), 1); // the printer makes one of each job

    QCOMPARE(QFileInfo(chosen).isSymLink(), link);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    struct stat st
    {
    };
    QVERIFY(::stat(QFile::encodeName(old).constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    if (limit >= 0) {
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastMessage().contains(QStringLiteral("ディスクの空き容量が足りません"))
                && dialogs.lastMessage().contains(chosen),
            qPrintable(dialogs.lastMessage()));
        QCOMPARE(readAll(old), QByteArray("%PDF- an older album"));
        return;
    }
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
    const QByteArray pdf = readAll(old);
    QVERIFY(pdf.startsWith("%PDF-1") && pdf.trimmed().endsWith("%%EOF"));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { old });
    QVERIFY(info.waitForFinished(30000));
    // The cover and two pages, once: the printer is asked for no copies of its own.
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                .contains(QRegularExpression(QStringLiteral("Pages:\\s+3\\n"))));
    // Frames and rules are drawn with pens at least one dot of a 300 dpi
    // printer wide; a hairline would vanish on paper.
    const QList<double> widths = pdfLineWidths(pdf);
    QVERIFY(!widths.isEmpty());
    const double resolution = dialogs.lastPrinter->resolution();
    for (double w : widths)
        QVERIFY2(w >= resolution / 300 - 0.01, qPrintable(QString::number(w)));
}

void TestWindowGuards::cancelInProgressPrintsNothing()
{
    openSaved();
    QVERIFY(writeAll(path("old.pdf"), "%PDF- an older album"));
    CancelProgress cancel;
    qApp->installEventFilter(&cancel);
    dialogs.printAnswers << true;
    dialogs.printToPdf = path("old.pdf");
    action("print_menu")->trigger();
    qApp->removeEventFilter(&cancel);
    QVERIFY(cancel.cancelled);
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
    QCOMPARE(readAll(path("old.pdf")), QByteArray("%PDF- an older album"));
    // Nothing beside the album, its lock and the old PDF.
    QStringList files = QDir(dir->path()).entryList(QDir::Files | QDir::Hidden);
    files.removeAll(QFileInfo(AlbumLock::lockPath(path("album.zkr"))).fileName());
    QCOMPARE(files, QStringList({ "album.zkr", "old.pdf" }));
}

void TestWindowGuards::deviceFaultsFailThePrint_data()
{
    QTest::addColumn<QString>("device"); // pdf: Qt's PDF writer; recording: the test device
    QTest::addColumn<int>("failing"); // pdf: the newPage() call refused; recording: the op
    QTest::newRow("second sheet refused") << "pdf" << 1;
    QTest::newRow("third sheet refused") << "pdf" << 2;
    QTest::newRow("next sheet fails") << "recording" << int(PrintOp::NewPage);
    QTest::newRow("end of the job fails") << "recording" << int(PrintOp::EndJob);
}

void TestWindowGuards::deviceFaultsFailThePrint()
{
    QFETCH(QString, device);
    QFETCH(int, failing);
    const ReadResult album = parse_document(albumBytes());
    QVERIFY(album.ok());
    PhotoLoader loader(0);
    PrintResult result;
    if (device == QLatin1String("pdf")) {
        RefusingPdfWriter writer(path("refused.pdf"), failing);
        PainterPrintDevice printer(&writer);
        result = print_album(printer, album.document, photo_source(loader));
    } else {
        RecordingPrintDevice probe;
        QVERIFY(print_album(probe, album.document, photo_source(loader)).ok());
        qsizetype index = -1;
        for (qsizetype i = 0; i < probe.calls().size(); ++i) {
            if (int(probe.calls().at(i).op) == failing) {
                index = i;
                break;
            }
        }
        QVERIFY(index >= 0);
        RecordingPrintDevice printer;
        printer.failAtCall(int(index), QStringLiteral("プリンタが止まりました."));
        result = print_album(printer, album.document, photo_source(loader));
    }
    QCOMPARE(result.status, PrintStatus::Failed);
    QVERIFY(!result.message.isEmpty());
}

void TestWindowGuards::chosenPaperIsUsed_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("pdfinfoSize");
    QTest::newRow("A3") << int(QPageSize::A3) << "842 x 1191 pts";
    QTest::newRow("B5") << int(QPageSize::B5) << "499 x 709 pts";
    QTest::newRow("A4") << int(QPageSize::A4) << "595 x 842 pts";
}

void TestWindowGuards::chosenPaperIsUsed()
{
    QFETCH(int, paper);
    QFETCH(QString, pdfinfoSize);
    const QString pdf = path("paper.pdf");
    dialogs.realPrinterSetup = true;
    bool chosen = false;
    QTimer::singleShot(0, window, [&] {
        QWidget* setup = QApplication::activeModalWidget();
        if (!setup)
            return;
        const QString name = QPageSize(QPageSize::PageSizeId(paper)).name();
        const QList<QComboBox*> combos = setup->findChildren<QComboBox*>();
        for (QComboBox* combo : combos) {
            if (combo->findText(QStringLiteral("PDF ファイル")) >= 0)
                combo->setCurrentIndex(combo->findText(QStringLiteral("PDF ファイル")));
        }
        for (QComboBox* combo : combos) {
            if (combo->findText(name) >= 0) {
                combo->setCurrentIndex(combo->findText(name));
                chosen = true;
            }
        }
        setup->findChild<QLineEdit*>()->setText(pdf);
        setup->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    action("print_setting")->trigger();
    dialogs.realPrinterSetup = false;
    QVERIFY(chosen);
    action("oneprint_menu")->trigger();
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), { pdf });
    QVERIFY(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(pdfinfoSize), qPrintable(out));
}

void TestWindowGuards::slotLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twipsRect"); // left, top, width, height in twips
    for (int k = 0; k < 3; ++k) {
        const int y = 600 + 2640 * k;
        const QString n = QString::number(k);
        QTest::newRow(qPrintable("Image1_" + n)) << "Image1_" + n << QRect(120, y, 3855, 2535);
        QTest::newRow(qPrintable("Shape1_" + n)) << "Shape1_" + n << QRect(120, y, 3855, 2535);
        QTest::newRow(qPrintable("Text1_" + n)) << "Text1_" + n << QRect(4080, y, 1215, 375);
        QTest::newRow(qPrintable("Text2_" + n)) << "Text2_" + n << QRect(4080, y + 480, 4095, 375);
        QTest::newRow(qPrintable("Text3_" + n)) << "Text3_" + n << QRect(4080, y + 960, 4095, 1575);
    }
}

void TestWindowGuards::slotLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twipsRect);
    auto* control = child<QWidget>(name);
    QVERIFY(control);
    // 15 twips to the logical pixel, to the nearest pixel.
    const auto px = [](int t) { return (t + 7) / 15; };
    QCOMPARE(control->geometry(),
        QRect(px(twipsRect.x()), px(twipsRect.y()), px(twipsRect.width()), px(twipsRect.height())));
}

void TestWindowGuards::titleStaysOneLine_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::newRow("paste LF") << "paste"
                              << "ab\ncd";
    QTest::newRow("paste CR LF") << "paste"
                                 << "ab\r\ncd";
    QTest::newRow("paste trailing LF") << "paste"
                                       << "abcd\n";
    QTest::newRow("input method LF") << "ime"
                                     << "ab\ncd";
}

void TestWindowGuards::titleStaysOneLine()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    auto* title = child<QLineEdit>("Text2_0");
    title->setFocus();
    if (how == QLatin1String("paste")) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(title, &commit);
    }
    QVERIFY2(!title->text().isEmpty(), "nothing was inserted");
    QVERIFY(!title->text().contains(QLatin1Char('\n')));
    QVERIFY(!title->text().contains(QLatin1Char('\r')));
    // What is saved holds no line break either: the save goes through.
    dialogs.saveAnswers << path("title.zkr");
    action("file_save")->trigger();
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
}

void TestWindowGuards::longTextsStayWhole_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("one line of 1 MB in the text") << "t" << QString(1 << 20, QLatin1Char('a'));
    QTest::newRow("a title of 1 MB") << QString(1 << 20, QLatin1Char('b')) << "x";
    QStringList lines;
    for (int i = 0; i < 30000; ++i)
        lines << QStringLiteral("line %1").arg(i);
    QTest::newRow("30000 short lines") << "t" << lines.join(QLatin1String("\r\n"));
    QTest::newRow("ordinary") << "t"
                              << "two\r\nlines";
}

void TestWindowGuards::longTextsStayWhole()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    Document d = Document::blank();
    d.entries.set_field(1, EntryField::Title, title);
    d.entries.set_field(1, EntryField::Text, text);
    const QByteArray bytes = encode_document(d).bytes;
    QVERIFY(writeAll(path("long.zkr"), bytes));
    dialogs.openAnswers << path("long.zkr");
    action("file_open")->trigger();

    const bool ordinary = title.size() < 100 && text.size() < 100;
    auto* titleBox = child<QLineEdit>("Text2_0");
    auto* textBox = child<QPlainTextEdit>("Text3_0");
    QCOMPARE(titleBox->isReadOnly(), title.size() > 100);
    QCOMPARE(textBox->isReadOnly(), text.size() > 100);
    if (!ordinary)
        QVERIFY(titleBox->text().size() + textBox->toPlainText().size() < 50000);
    dialogs.saveAnswers << path("saved.zkr");
    action("file_save")->trigger();
    QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.lastMessage()));
    QVERIFY(readAll(path("saved.zkr")) == bytes);
}

void TestWindowGuards::photoFailuresSayWhy_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("見つかりません");
    QTest::newRow("not a picture") << QByteArray("just text\n") << QStringLiteral("読めない形式");
    QByteArray cut = encodedPhoto(solidPhoto(QSize(200, 150), Qt::green), "JPEG");
    cut.truncate(cut.size() / 2);
    QTest::newRow("cut short") << cut << QStringLiteral("途中で切れて");
}

void TestWindowGuards::photoFailuresSayWhy()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString photo = path("photo.jpg");
    if (!content.isEmpty())
        QVERIFY(writeAll(photo, content));
    Document d = Document::blank();
    d.entries.set_field(1, EntryField::Image, photo);
    QVERIFY(writeAll(path("photos.zkr"), encode_document(d).bytes));
    dialogs.openAnswers << path("photos.zkr");
    action("file_open")->trigger();

    auto* box = child<PhotoBox>("Image1_0");
    QVERIFY(waitForPage(*window));
    QVERIFY(box->isUnreadable());
    QVERIFY2(box->unreadableReason().contains(reason), qPrintable(box->unreadableReason()));
    QVERIFY(box->toolTip().contains(photo));
    action("zoom_photo")->trigger();
    ZoomWindow* zoom = window->findChild<ZoomWindow*>();
    QVERIFY(zoom);
    QTRY_VERIFY(zoom->isUnreadable());
    QVERIFY2(zoom->unreadableReason().contains(reason), qPrintable(zoom->unreadableReason()));
}

void TestWindowGuards::unsavablePhotoPathIsToldAtOnce()
{
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("café")));
    const QString photo = dir->filePath(QStringLiteral("café/p.png"));
    QVERIFY(writeSolidPhoto(photo, QSize(40, 30), Qt::red));
    dialogs.openAnswers << photo;
    action("load_image_menu")->trigger();
    QVERIFY(!child<PhotoBox>("Image1_0")->picture().isNull()); // placed all the same
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.lastMessage().contains(QStringLiteral("「é」"))
            && dialogs.lastMessage().contains(photo),
        qPrintable(dialogs.lastMessage()));
}

QTEST_MAIN(TestWindowGuards)
#include "tst_windowguards.moc"
