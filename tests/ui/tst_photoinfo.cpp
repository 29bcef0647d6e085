#include "app/albumtools.h"
#include "app/commandset.h"
#include "app/infocommands.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "docfile/cp932codec.h"
#include "docfile/worktypefile.h"
#include "model/worktypelist.h"
#include "photos/photorecorder.h"
#include "scripteddialogs.h"
#include "ui/bulkinfodialog.h"
#include "ui/optionsdialog.h"
#include "ui/overviewwindow.h"
#include "ui/photoinfodialog.h"
#include "ui/photoinfoform.h"
#include "ui/worktypespage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QUndoStack>

#include "testfiles.h"
#include "testphotos.h"
#include "model/usersettings.h"

using namespace zk;

namespace {

// "item=value" by the items' own names; 参考図 as "path|title".
PhotoInfo infoOf(const QStringList& items)
{
    PhotoInfo info;
    for (const QString& pair : items) {
        InfoItem item;
        const qsizetype eq = pair.indexOf(u'=');
        if (!info_item_from_name(pair.left(eq), &item))
            qFatal("no item %s", qPrintable(pair));
        const QString value = pair.mid(eq + 1);
        if (item == InfoItem::Drawings)
            info.drawings.append({ value.section(u'|', 0, 0), value.section(u'|', 1) });
        else
            info.setText(item, value);
    }
    return info;
}

} // namespace

class TestPhotoInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void infoWindowSetsOneStep_data();
    void infoWindowSetsOneStep();
    void infoWindowShowsTheFile_data();
    void infoWindowShowsTheFile();
    void offersFollowTheClasses();
    void overviewCommandsAreOneStep_data();
    void overviewCommandsAreOneStep();
    void masterListPageStores();

private:
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    PhotoInfoDialog* openInfo(int position);

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    MainWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestPhotoInfo::initTestCase()
{
    // The options window stores the master list: never into the user's own.
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(WorkTypeFile::default_file());
    const QByteArray board = boardXmp(QStringLiteral(
        "<photo:ConstructionType>舗装工</photo:ConstructionType>"
        "<photo:MiddleClassification>舗装準備工</photo:MiddleClassification>"));
    const QByteArray jpeg = withSegment(
        withSegment(exifJpeg("2024:05:01 10:20:30"), 0xE5, QByteArray("DCPMI\0\x01", 7)), 0xE1,
        xmpSegmentBody(board));
    QVERIFY(writeAll(file("board.jpg"), jpeg));
    QVERIFY(writeAll(file("plain.jpg"), plainJpeg()));
    QVERIFY(writeAll(file("list.csv"),
        [] {
            QByteArray sjis;
            Cp932Codec::instance().encode(
                QStringLiteral("工種,種別,細別\r\n道路土工,掘削工,\r\n舗装工,表層工,\r\n"), sjis);
            return sjis;
        }()));
}

void TestPhotoInfo::init()
{
    dialogs.clear();
    settings = std::make_unique<UserSettings>();
    window = new MainWindow(dialogs, *settings, [] { return CoverData(); });
    window->infoCommands().setWorkTypeFile(file("list.csv"));
    Document d;
    const char* images[] = { "board.jpg", "plain.jpg", "", "", "", "" };
    for (int i = 1; i <= 6; ++i) {
        d.entries.append_entry(number_text(i), QStringLiteral("T%1").arg(i), {},
            *images[i - 1] ? file(images[i - 1]) : QString());
    }
    window->album().replace_document(std::move(d), {});
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void TestPhotoInfo::cleanup()
{
    window->album().mark_saved({});
    delete window;
    window = nullptr;
}

PhotoInfoDialog* TestPhotoInfo::openInfo(int position)
{
    window->pageView().select_slot(position - 1);
    window->commands().action(Command::PhotoInfo)->trigger();
    return window->findChild<PhotoInfoDialog*>();
}

// F4 opens the selected entry's information; OK sets the whole form as one
// step, キャンセル none. Catches items lost or mixed up on the way to the
// album, a step per item, a step for an unchanged form, a cancel that
// still changes, and a date that does not exist taken or losing the form.
void TestPhotoInfo::infoWindowSetsOneStep_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("expected"); // empty: the entry keeps none
    QTest::addColumn<QString>("warning");

    const QStringList every = { "写真-大分類=工事", "写真区分=施工状況写真", "工種=舗装工",
        "種別=表層工", "細別=t5cm", "工種区分予備=A\nB", "撮影箇所=No.3+10", "代表写真=1",
        "提出頻度写真=1", "施工管理値=厚さ 50mm", "受注者説明文=朝", "参考図=/d/a.pdf|平面図" };
    QTest::newRow("every item") << (every + QStringList { "撮影年月日=2024-05-01" }) << true
                                << (every + QStringList { "撮影年月日=2024-05-01" }) << "";
    QTest::newRow("a typed date kept as YYYY-MM-DD")
        << QStringList { "撮影年月日=２０２４/5/1" } << true
        << QStringList { "撮影年月日=2024-05-01" } << "";
    QTest::newRow("free 写真区分 beside 測量")
        << QStringList { "写真-大分類=測量", "写真区分=基準点測量" } << true
        << QStringList { "写真-大分類=測量", "写真区分=基準点測量" } << "";
    QTest::newRow("cancel") << every << false << QStringList() << "";
    QTest::newRow("unchanged") << QStringList() << true << QStringList() << "";
    QTest::newRow("a day that does not exist")
        << QStringList { "工種=舗装工", "撮影年月日=2023-02-29" } << true << QStringList()
        << "日付はありません";
}

void TestPhotoInfo::infoWindowSetsOneStep()
{
    QFETCH(QStringList, typed);
    QFETCH(bool, ok);
    QFETCH(QStringList, expected);
    QFETCH(QString, warning);
    QUndoStack* stack = window->album().undoStack();
    const int before = stack->count();
    QPointer<PhotoInfoDialog> dialog = openInfo(2);
    QVERIFY(dialog);
    QCOMPARE(dialog->position(), 2);
    dialog->form()->set_info(infoOf(typed));
    if (ok)
        dialog->accept();
    else
        dialog->reject();
    QCOMPARE(window->album().entries().entry(2).info, infoOf(expected));
    QCOMPARE(stack->count(), before + (expected.isEmpty() ? 0 : 1));
    QCOMPARE(dialogs.messages.isEmpty(), warning.isEmpty());
    QVERIFY(dialogs.lastMessage().contains(warning));
    QCOMPARE(dialog && dialog->isVisible(), !warning.isEmpty());
    if (!expected.isEmpty()) {
        stack->undo();
        QVERIFY(window->album().entries().entry(2).info.isEmpty());
    }
    delete dialog.data();
}

// Catches a tamper mark or EXIF date not read from the file, a changed
// photo not told (size, time or content), and a missing one reported as
// unchanged.
void TestPhotoInfo::infoWindowShowsTheFile_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("recordChange"); // "", "none", "size", "sha"
    QTest::addColumn<QStringList>("shown"); // EXIF, tamper, change

    QTest::newRow("board photo, as placed")
        << "board.jpg" << "" << QStringList { "2024-05-01 10:20:30", "あり", "変更されていません" };
    QTest::newRow("no record") << "plain.jpg" << "none"
                               << QStringList { "記録されていません", "なし", "記録がありません" };
    QTest::newRow("size differs") << "plain.jpg" << "size"
                                  << QStringList { "記録されていません", "なし", "サイズ" };
    QTest::newRow("content differs") << "board.jpg" << "sha"
                                     << QStringList { "2024-05-01", "あり", "SHA-256" };
    QTest::newRow("file gone") << "gone.jpg" << "none" << QStringList { "写真ファイルが見つかりません", "—", "見つかりません" };
}

void TestPhotoInfo::infoWindowShowsTheFile()
{
    QFETCH(QString, image);
    QFETCH(QString, recordChange);
    QFETCH(QStringList, shown);
    const QString path = file(qPrintable(image));
    window->album().set_image(1, path);
    QString error;
    PhotoRecord record = PhotoRecorder::record(path, &error);
    if (recordChange == u"size")
        record.size += 1;
    if (recordChange == u"sha")
        record.sha256 = QByteArray(64, '0');
    if (recordChange != u"none")
        window->album().record_photo(path, record);
    PhotoInfoDialog* dialog = openInfo(1);
    QVERIFY(dialog);
    QVERIFY2(dialog->exifLabel()->text().startsWith(shown.at(0)), qPrintable(dialog->exifLabel()->text()));
    QCOMPARE(dialog->tamperLabel()->text(), shown.at(1));
    QTRY_VERIFY2(dialog->changeLabel()->text().contains(shown.at(2)),
        qPrintable(dialog->changeLabel()->text()));
    delete dialog;
}

// Catches 種別 not narrowed to the chosen 工種, the album's own values or the
// master list (read from Shift-JIS) missing from the offer, and 写真区分
// accepting free text beside 工事.
void TestPhotoInfo::offersFollowTheClasses()
{
    PhotoInfo used;
    used.workType = QStringLiteral("擁壁工");
    used.kind = QStringLiteral("場所打擁壁工");
    window->album().set_info(3, used);
    PhotoInfoDialog* dialog = openInfo(1);
    PhotoInfoForm* form = dialog->form();
    const auto items = [](QComboBox* box) {
        QStringList out;
        for (int i = 1; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    };
    QCOMPARE(items(form->workTypeBox()), (QStringList { "道路土工", "舗装工", "擁壁工" }));
    form->workTypeBox()->setCurrentText(QStringLiteral("擁壁工"));
    QCOMPARE(items(form->kindBox()), QStringList { "場所打擁壁工" });
    QVERIFY(!form->photoClassBox()->isEditable());
    form->largeClassBox()->setCurrentText(QStringLiteral("調査"));
    QVERIFY(form->photoClassBox()->isEditable());
    delete dialog;
}

// From the overview: 写真情報 sets the current tile's items, 一括設定 sets
// and empties items of the selected entries only, 並べ替え orders the album; each is one step that undo takes
// back whole. Catches blank items overwriting, a step per entry, entries
// outside the selection touched, and a sort that needs no change making one.
void TestPhotoInfo::overviewCommandsAreOneStep_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("workType"); // typed into the bulk form; "" ticks 空にする
    QTest::addColumn<QString>("after"); // 工種 of entries 1..6 ('-' for none), then titles

    QTest::newRow("bulk set") << "bulk_info" << "舗装工" << "舗装工,舗装工,-,x,-,- T1T2T3T4T5T6";
    QTest::newRow("bulk clear") << "bulk_info" << "" << "-,-,-,x,-,- T1T2T3T4T5T6";
    QTest::newRow("one tile") << "info" << "舗装工" << "舗装工,-,-,x,-,- T1T2T3T4T5T6";
    QTest::newRow("sort") << "sort" << "" << "x,x,-,-,-,- T4T1T2T3T5T6";
}

void TestPhotoInfo::overviewCommandsAreOneStep()
{
    QFETCH(QString, command);
    QFETCH(QString, workType);
    QFETCH(QString, after);
    Album& album = window->album();
    PhotoInfo x;
    x.workType = QStringLiteral("x");
    album.set_info(1, x);
    x.photoClass = QStringLiteral("施工状況写真");
    album.set_info(4, x);
    const int before = album.undoStack()->count();
    window->albumTools().show_overview();
    OverviewWindow* overview = window->albumTools().overview();
    overview->select_positions(1, 2);
    overview->findChild<QAction*>(QStringLiteral("overview_") + command)->trigger();
    if (command == u"info") {
        auto* dialog = overview->findChild<PhotoInfoDialog*>();
        QVERIFY(dialog);
        dialog->form()->workTypeBox()->setCurrentText(workType);
        dialog->accept();
    } else if (command == u"bulk_info") {
        auto* dialog = overview->findChild<BulkInfoDialog*>();
        QVERIFY(dialog);
        dialog->form()->workTypeBox()->setCurrentText(workType);
        dialog->form()->clearBox(InfoItem::WorkType)->setChecked(workType.isEmpty());
        dialog->accept();
    } else {
        QVERIFY(overview->statusLine()->text().contains(QStringLiteral("並べ替えました")));
    }
    QStringList types;
    QString titles;
    for (int p = 1; p <= 6; ++p) {
        const QString& t = album.entries().entry(p).info.workType;
        types << (t.isEmpty() ? QStringLiteral("-") : t);
        titles += album.entries().entry(p).title;
    }
    QCOMPARE(types.join(u',') + u' ' + titles, after);
    QCOMPARE(album.undoStack()->count(), before + 1);
    album.undoStack()->undo();
    QCOMPARE(album.entries().entry(1).info.workType + album.entries().entry(1).title,
        QStringLiteral("xT1"));
}

// 読み込み takes a Shift-JIS list, 写真から追加 the boards' 工種, OK writes
// them as UTF-8. Catches rows lost, repeated or written in another encoding.
void TestPhotoInfo::masterListPageStores()
{
    window->commands().action(Command::Options)->trigger();
    auto* options = window->findChild<OptionsDialog*>();
    QVERIFY(options);
    WorkTypesPage* page = options->workTypesPage();
    QVERIFY(page->import_from(file("list.csv")));
    QVERIFY(page->import_from(file("list.csv")));
    page->add_from_photos();
    QCOMPARE(dialogs.lastMessage(), QStringLiteral("写真から 1 行を加えました."));
    options->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QCOMPARE(QString::fromUtf8(readAll(WorkTypeFile::default_file())),
        QStringLiteral("工種,種別,細別\r\n道路土工,掘削工,\r\n舗装工,表層工,\r\n舗装工,舗装準備工,\r\n"));
    QFile::remove(WorkTypeFile::default_file());
}

QTEST_MAIN(TestPhotoInfo)
#include "tst_photoinfo.moc"
