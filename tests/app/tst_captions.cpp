#include "app/bulkcaptiondialog.h"
#include "app/captioncommands.h"
#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "app/pagespinner.h"
#include "app/slotview.h"
#include "app/titleedit.h"
#include "ui/coverdialog.h"
#include "app/csvexchange.h"
#include "docfile/documentwriter.h"
#include "docfile/phrasefile.h"
#include "model/phrasestore.h"
#include "scripteddialogs.h"
#include "ui/erachoice.h"
#include "ui/optionsdialog.h"
#include "ui/phrasespage.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QUndoStack>

#include "documentbytes.h"
#include "testfiles.h"
#include "model/usersettings.h"

using namespace zk;

namespace {

// Two pages; entry i titled "T<i>" with text "x<i>" and a photo path.
Document twoPages()
{
    Document d;
    for (int i = 1; i <= 6; ++i) {
        d.entries.append_entry(number_text(i), QStringLiteral("T%1").arg(i),
            QStringLiteral("x%1").arg(i), QStringLiteral("/p/%1.jpg").arg(i));
    }
    return d;
}

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void phraseInsertsAtTheCaretWithinTheLimit_data();
    void phraseInsertsAtTheCaretWithinTheLimit();
    void sameAsPrevious_data();
    void sameAsPrevious();
    void bulkCaptionIsOneStep();
    void csvImportAsksThenTakesOneStep_data();
    void csvImportAsksThenTakesOneStep();
    void optionsStorePhrasesAndEra();

private:
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestCaptions::initTestCase()
{
    // The options window stores the user's settings: never into the real ones.
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(PhraseFile::default_file());
    QFile::remove(Preferences::default_file());
}

void TestCaptions::cleanupTestCase()
{
    QFile::remove(PhraseFile::default_file());
    QFile::remove(Preferences::default_file());
}

void TestCaptions::init()
{
    dialogs.clear();
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [] { return CoverData(); });
    window->captionCommands().setPhraseFile(file("phrases.txt"));
    window->album().replace_document(twoPages(), {});
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void TestCaptions::cleanup()
{
    window->album().mark_saved({});
    delete window;
    window = nullptr;
}

// The key opens the list over the box that has the focus; typing filters it
// and Enter inserts at the caret, a title taking only what its ten-character
// keyboard limit leaves room for. Catches insertion at the end instead of the
// caret, a title limit that the phrase bypasses, the album's own titles
// missing from the list, and an insertion the album does not hear of.
void TestCaptions::phraseInsertsAtTheCaretWithinTheLimit_data()
{
    QTest::addColumn<bool>("title"); // else the text box
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("after");

    QTest::newRow("title, at the caret") << true << QStringLiteral("AB") << 1
                                         << QStringLiteral("立会") << QStringLiteral("A立会者B");
    QTest::newRow("title, cut at ten characters")
        << true << QStringLiteral("基礎") << 2 << QStringLiteral("かぶり")
        << QStringLiteral("基礎配筋状況かぶり確");
    QTest::newRow("title, full: nothing")
        << true << QStringLiteral("0123456789") << 10 << QString() << QStringLiteral("0123456789");
    QTest::newRow("text, no limit")
        << false << QStringLiteral("一行目\n") << 4 << QStringLiteral("かぶり")
        << QStringLiteral("一行目\n配筋状況かぶり確認");
    QTest::newRow("album title offered")
        << false << QString() << 0 << QStringLiteral("T5") << QStringLiteral("T5");
}

void TestCaptions::phraseInsertsAtTheCaretWithinTheLimit()
{
    QFETCH(bool, title);
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(QString, filter);
    QFETCH(QString, after);
    QVERIFY(writeAll(file("phrases.txt"), QStringLiteral("立会者\n配筋状況かぶり確認\n").toUtf8()));

    SlotView& slot = window->pageView().slot(1);
    QWidget* box = title ? static_cast<QWidget*>(slot.titleBox()) : slot.textBox();
    if (title) {
        slot.titleBox()->setText(before);
        slot.titleBox()->setCursorPosition(caret);
    } else {
        slot.textBox()->setPlainText(before);
        QTextCursor c = slot.textBox()->textCursor();
        c.setPosition(caret);
        slot.textBox()->setTextCursor(c);
    }
    window->album().end_typing();
    const int steps = window->album().undoStack()->count();
    box->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), box);

    QTest::keyClick(box, Qt::Key_F2);
    auto* filterBox = window->findChild<QLineEdit*>(QStringLiteral("phraseFilter"));
    QVERIFY(filterBox);
    filterBox->insert(filter); // typed (keyClicks takes only ASCII)
    QTest::keyClick(filterBox, Qt::Key_Return);

    const QString shown = title ? slot.titleBox()->text() : slot.textBox()->toPlainText();
    QCOMPARE(shown, after);
    const QString stored
        = window->album().entries().get_field(2, title ? EntryField::Title : EntryField::Text);
    QCOMPARE(stored, QString(after).replace(QLatin1String("\n"), QLatin1String("\r\n")));
    QVERIFY(window->album().undoStack()->count() <= steps + 1);
}

// 前の写真と同じ copies the title and text of the entry before the selected
// one, across a page boundary, as one undo step; entry 1 and an empty
// previous entry leave everything as it was and say why.
void TestCaptions::sameAsPrevious_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("expected"); // title|text|image of the slot, "" when refused
    QTest::addColumn<QString>("says");

    QTest::newRow("across the page boundary")
        << 2 << 0 << QStringLiteral("T3|x3|/p/4.jpg") << QString();
    QTest::newRow("within the page") << 1 << 2 << QStringLiteral("T2|x2|/p/3.jpg") << QString();
    QTest::newRow("first entry") << 1 << 0 << QString() << QStringLiteral("前の写真がありません");
    QTest::newRow("previous entry empty")
        << 1 << 1 << QString() << QStringLiteral("タイトルも説明もない");
}

void TestCaptions::sameAsPrevious()
{
    QFETCH(int, page);
    QFETCH(int, slot);
    QFETCH(QString, expected);
    QFETCH(QString, says);
    Document d = twoPages();
    if (!says.isEmpty() && slot == 1) {
        d.entries.set_field(1, EntryField::Title, {});
        d.entries.set_field(1, EntryField::Text, {});
    }
    window->album().replace_document(d, {});
    const QByteArray before = bytesOf(window->album());
    window->pageView().pageControl()->setValue(page);
    window->pageView().select_slot(slot);
    window->commands().action(Command::SameAsPrevious)->trigger();

    const int position = (page - 1) * 3 + slot + 1;
    const Entry& e = window->album().entries().entry(position);
    if (expected.isEmpty()) {
        QVERIFY2(dialogs.lastMessage().contains(says), qPrintable(dialogs.lastMessage()));
        QCOMPARE(bytesOf(window->album()), before);
        QCOMPARE(window->album().undoStack()->count(), 0);
        return;
    }
    QCOMPARE(e.title + u'|' + e.text + u'|' + e.image, expected);
    QCOMPARE(window->pageView().slot(slot).title(), e.title);
    QCOMPARE(window->album().undoStack()->count(), 1);
    QCOMPARE(window->album().undoStack()->undoText(), QStringLiteral("前の写真と同じ"));
    window->album().undoStack()->undo();
    QCOMPARE(bytesOf(window->album()), before);
}

// The dialog refuses a title longer than can be typed and an empty form;
// what it accepts changes every chosen entry in one undo step.
void TestCaptions::bulkCaptionIsOneStep()
{
    const QByteArray before = bytesOf(window->album());
    BulkCaptionDialog dialog(dialogs, window->album().entries(), {}, 4, 6, window);
    QCOMPARE(dialog.positions(), (QList<int> { 4, 5, 6 }));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("タイトルか説明")));

    dialog.titleBox()->setText(QStringLiteral("測点No.{n:6}")); // eleven characters
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY2(dialogs.lastMessage().contains(QStringLiteral("No.4 のタイトル「測点No.000001」")),
        qPrintable(dialogs.lastMessage()));
    dialog.titleBox()->setText(QStringLiteral("測点No.{n:5}")); // ten: as many as can be typed
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    dialog.titleBox()->clear();
    dialog.textBox()->setPlainText(QStringLiteral("測点No.{n}\n立会"));
    dialog.startBox()->setValue(98);
    dialog.fromBox()->setValue(2);
    dialog.toBox()->setValue(4);
    window->captionCommands().apply_bulk_caption(dialog.positions(), dialog.caption());
    QStringList texts;
    for (int i = 1; i <= 6; ++i)
        texts << window->album().entries().get_field(i, EntryField::Text);
    QCOMPARE(texts,
        (QStringList { "x1", QStringLiteral("測点No.98\r\n立会"),
            QStringLiteral("測点No.99\r\n立会"), QStringLiteral("測点No.100\r\n立会"), "x5",
            "x6" }));
    QCOMPARE(window->album().undoStack()->count(), 1);
    window->album().undoStack()->undo();
    QCOMPARE(bytesOf(window->album()), before);
}

// The summary comes before any change; No leaves the album alone; Yes is one
// undo step; a refused file changes nothing and names its line.
void TestCaptions::csvImportAsksThenTakesOneStep_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("says");

    // Row k is entry k: rows 3 to 6 leave their entries alone, row 7 adds a page.
    const QByteArray good
        = QStringLiteral("番号,タイトル\r\n1,題一\r\n2,T2\r\n3\r\n4,\r\n5,\r\n6,\r\n7,題七\r\n")
              .toUtf8();
    QTest::newRow("yes") << good << Answer::Yes << 1 << QStringLiteral("2 件の写真");
    QTest::newRow("no") << good << Answer::No << 0 << QStringLiteral("ページを 1 ページ追加");
    // The album's own export, read back: nothing to change, no step.
    QTest::newRow("own Shift-JIS export")
        << QByteArray("EXPORT") << Answer::Yes << 0 << QStringLiteral("どれも写真帳と同じ");
    QTest::newRow("broken") << QByteArray("title\r\na\r\n\"b\r\n") << Answer::Yes << 0
                            << QStringLiteral("3行目");
}

void TestCaptions::csvImportAsksThenTakesOneStep()
{
    QFETCH(QByteArray, csv);
    QFETCH(Answer, answer);
    QFETCH(int, steps);
    QFETCH(QString, says);
    if (csv == "EXPORT")
        QVERIFY(window->csvExchange().export_to(file("in.csv"), CsvEncoding::ShiftJis));
    else
        QVERIFY(writeAll(file("in.csv"), csv));
    const QByteArray before = bytesOf(window->album());
    dialogs.openAnswers = { file("in.csv") };
    dialogs.messageAnswers = { answer };
    window->commands().action(Command::CsvImport)->trigger();

    QVERIFY2(dialogs.lastMessage().contains(says), qPrintable(dialogs.lastMessage()));
    QCOMPARE(window->album().undoStack()->count(), steps);
    if (steps == 0) {
        QCOMPARE(bytesOf(window->album()), before);
        return;
    }
    QCOMPARE(window->album().entries().get_field(1, EntryField::Title), QStringLiteral("題一"));
    QCOMPARE(window->album().entries().entry_count(), 9);
    QCOMPARE(window->pageView().highest_page(), 3);
    QCOMPARE(window->pageView().slot(0).title(), QStringLiteral("題一"));
    window->album().undoStack()->undo();
    QCOMPARE(bytesOf(window->album()), before);
    QCOMPARE(window->pageView().highest_page(), 2);
}

// OK stores the phrase list as edited (added, moved, removed, imported from
// Shift-JIS) and the era; the open cover window then names the era.
// キャンセル stores nothing.
void TestCaptions::optionsStorePhrasesAndEra()
{
    QByteArray sjis("\x97\xa7\x89\xef\x8e\xd2\r\n"); // 立会者
    QVERIFY(writeAll(file("import.txt"), sjis));
    window->commands().action(Command::Options)->trigger();
    auto* options = window->findChild<OptionsDialog*>();
    QVERIFY(options);
    PhrasesPage* page = options->phrasesPage();
    for (const char* p : { "配筋状況", "型枠", "出来形" }) {
        page->newPhraseBox()->setText(QString::fromUtf8(p));
        page->add_phrase();
    }
    // A phrase inside an existing one (型 beside 型枠) is a phrase of its own.
    page->newPhraseBox()->setText(QStringLiteral("型"));
    page->add_phrase();
    QCOMPARE(page->phrases().size(), 4);
    page->remove_phrase();
    page->list()->setCurrentRow(2);
    page->move_phrase(-1);
    page->list()->setCurrentRow(2);
    page->remove_phrase();
    QVERIFY(page->import_from(file("import.txt")));
    options->eraChoice()->button(Era::Reiwa)->setChecked(true);
    options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();

    QCOMPARE(PhraseFile::load().phrases,
        (QStringList {
            QStringLiteral("配筋状況"), QStringLiteral("出来形"), QStringLiteral("立会者") }));
    QCOMPARE(Preferences::load().era, Era::Reiwa);
    bool named = false;
    const QList<QLabel*> labels = window->coverWindow()->findChildren<QLabel*>();
    for (const QLabel* l : labels)
        named = named || l->text().startsWith(QStringLiteral("令和"));
    QVERIFY(named);

    QTRY_VERIFY(!window->findChild<OptionsDialog*>());
    window->commands().action(Command::Options)->trigger();
    options = window->findChild<OptionsDialog*>();
    QCOMPARE(options->eraChoice()->era(), Era::Reiwa);
    QCOMPARE(options->phrasesPage()->phrases().size(), 3);
    options->eraChoice()->button(Era::Heisei)->setChecked(true);
    options->phrasesPage()->list()->clear();
    options->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    QCOMPARE(Preferences::load().era, Era::Reiwa);
    QCOMPARE(PhraseFile::load().phrases.size(), 3);
    Preferences reset;
    QVERIFY(reset.save());
}

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
