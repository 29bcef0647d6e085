#include "app/albumtools.h"
#include "app/commandset.h"
#include "app/mainwindow.h"
#include "app/pageview.h"
#include "model/album.h"
#include "ui/albumlistmodel.h"
#include "ui/overviewwindow.h"
#include "photos/thumbnailloader.h"
#include "scripteddialogs.h"
#include "testphotos.h"
#include "model/usersettings.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>

#include <memory>

using namespace zk;

namespace {

// One letter per entry's title, '.' for an empty entry.
Document albumOf(const QString& titles)
{
    Document d;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const QChar c = titles.at(i);
        d.entries.append_entry(
            number_text(i + 1), c == QLatin1Char('.') ? QString() : QString(c), {}, {});
    }
    return d;
}

QString titlesOf(const Album& album)
{
    QString s;
    for (int p = 1; p <= album.entries().entry_count(); ++p) {
        const QString& t = album.entries().entry(p).title;
        s += t.isEmpty() ? QStringLiteral(".") : t;
    }
    return s;
}

} // namespace

class TestOverview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void rowsFollowTheAlbum_data();
    void rowsFollowTheAlbum();
    void dropMovesAsOneStep_data();
    void dropMovesAsOneStep();
    void dragInTheView();
    void keyboardMovesAndClears();
    void thumbnailsAndMissingPhotos();
    void droppedFilesAskForAnImport();
    void mainWindowShowsTheChosenEntry();

private:
    QTemporaryDir dir;
    Album* album = nullptr;
    OverviewWindow* window = nullptr;
    std::unique_ptr<UserSettings> settings;
};

void TestOverview::initTestCase()
{
    // The window remembers its place in the user's settings: not the real ones.
    QStandardPaths::setTestModeEnabled(true);
}

void TestOverview::init()
{
    album = new Album;
    album->replace_document(albumOf(QStringLiteral("ABCDEFGHI")), {});
    settings = std::make_unique<UserSettings>();
    window = new OverviewWindow(*album, *settings);
}

void TestOverview::cleanup()
{
    delete window;
    delete album;
}

void TestOverview::rowsFollowTheAlbum_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("changedRow"); // -1: the model was reset
    QTest::newRow("title typed") << "title" << 9 << 4;
    QTest::newRow("page grown") << "grow" << 12 << 11;
    QTest::newRow("growth undone") << "undo grow" << 9 << -2;
    QTest::newRow("album replaced") << "replace" << 3 << -1;
}

void TestOverview::rowsFollowTheAlbum()
{
    QFETCH(QString, change);
    QFETCH(int, rows);
    QFETCH(int, changedRow);
    AlbumListModel* model = window->model();
    QCOMPARE(model->rowCount(), 9);
    QCOMPARE(model->index(4).data(AlbumListModel::TitleRole).toString(), QStringLiteral("E"));
    QCOMPARE(model->index(4).data(AlbumListModel::PageRole).toInt(), 2);
    QCOMPARE(model->index(4).data(AlbumListModel::NumberRole).toString(), QStringLiteral(" 5"));
    QCOMPARE(model->index(4).data().toString(), QStringLiteral("No.5 E"));

    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    if (change == QLatin1String("title")) {
        album->set_title(5, QStringLiteral("Z"));
        QCOMPARE(model->index(4).data(AlbumListModel::TitleRole).toString(), QStringLiteral("Z"));
    } else if (change == QLatin1String("grow")) {
        album->set_image(9, QStringLiteral("/x.jpg"));
        QVERIFY(album->append_page());
        album->set_title(12, QStringLiteral("L"));
    } else if (change == QLatin1String("undo grow")) {
        QVERIFY(album->append_page());
        album->undoStack()->undo();
    } else {
        album->replace_document(albumOf(QStringLiteral("X..")), {});
    }
    QCOMPARE(model->rowCount(), rows);
    if (changedRow == -1) {
        QCOMPARE(reset.size(), 1);
        QCOMPARE(model->index(0).data(AlbumListModel::TitleRole).toString(), QStringLiteral("X"));
    } else if (changedRow >= 0) {
        QVERIFY(!changed.isEmpty());
        const QModelIndex last = changed.last().at(1).value<QModelIndex>();
        QCOMPARE(last.row(), changedRow);
    }
    // Every row answers, none past the end.
    QVERIFY(model->index(rows - 1).data(AlbumListModel::PositionRole).toInt() == rows);
    QVERIFY(!model->index(rows).data(AlbumListModel::PositionRole).isValid());
}

void TestOverview::dropMovesAsOneStep_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<int>("dropRow"); // before this row; -1: onto the empty area
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("firstSelected");
    QTest::newRow("forward within a page") << QList<int> { 1 } << 3 << "BCADEFGHI" << 3;
    QTest::newRow("forward across pages") << QList<int> { 2, 3 } << 7 << "ADEFGBCHI" << 6;
    QTest::newRow("backward across pages") << QList<int> { 7, 8 } << 1 << "AGHBCDEFI" << 2;
    QTest::newRow("scattered, to the front") << QList<int> { 3, 6, 9 } << 0 << "CFIABDEGH" << 1;
    QTest::newRow("to the end") << QList<int> { 1, 2 } << -1 << "CDEFGHIAB" << 8;
    QTest::newRow("onto its own range") << QList<int> { 4, 5 } << 4 << "ABCDEFGHI" << 0;
    QTest::newRow("just behind itself") << QList<int> { 4, 5 } << 5 << "ABCDEFGHI" << 0;
    QTest::newRow("scattered, inside itself") << QList<int> { 3, 6, 9 } << 5 << "ABDECFIGH" << 5;
}

void TestOverview::dropMovesAsOneStep()
{
    QFETCH(QList<int>, positions);
    QFETCH(int, dropRow);
    QFETCH(QString, after);
    QFETCH(int, firstSelected);
    AlbumListModel* model = window->model();
    QModelIndexList indexes;
    for (int p : positions)
        indexes << model->index(p - 1);
    std::unique_ptr<QMimeData> data(model->mimeData(indexes));
    QVERIFY(model->canDropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {}));
    const bool moved = model->dropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {});

    QCOMPARE(titlesOf(*album), after);
    QCOMPARE(moved, firstSelected > 0);
    QCOMPARE(album->undoStack()->count(), firstSelected > 0 ? 1 : 0);
    if (firstSelected > 0) {
        QCOMPARE(window->selected_positions().constFirst(), firstSelected);
        QCOMPARE(window->selected_positions().size(), positions.size());
        album->undoStack()->undo();
        QCOMPARE(titlesOf(*album), QStringLiteral("ABCDEFGHI"));
    }
    // Numbers stay with positions.
    for (int p = 1; p <= 9; ++p)
        QCOMPARE(album->entries().entry(p).number, number_text(p));
}

void TestOverview::dragInTheView()
{
    window->resize(800, 600);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QListView* view = window->view();
    AlbumListModel* model = window->model();
    view->selectionModel()->select(model->index(0), QItemSelectionModel::ClearAndSelect);

    // What the view's drag carries, dropped onto the tile of entry 8.
    std::unique_ptr<QMimeData> data(model->mimeData({ model->index(0) }));
    const QRect target = view->visualRect(model->index(7));
    QVERIFY(target.isValid());
    const QPointF at = target.center();
    QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(at.toPoint(), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QVERIFY(move.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);

    // A drop onto a tile puts the dragged entry just before it.
    QCOMPARE(titlesOf(*album), QStringLiteral("BCDEFGAHI"));
    QCOMPARE(album->undoStack()->count(), 1);
    QCOMPARE(model->rowCount(), 9);
}

void TestOverview::keyboardMovesAndClears()
{
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QListView* view = window->view();
    AlbumListModel* model = window->model();
    view->setFocus();
    view->selectionModel()->select(
        QItemSelection(model->index(6), model->index(7)), QItemSelectionModel::ClearAndSelect);
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    view->selectionModel()->setCurrentIndex(model->index(1), QItemSelectionModel::NoUpdate);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(titlesOf(*album), QStringLiteral("AGHBCDEFI"));
    QCOMPARE(album->undoStack()->count(), 1);

    // Delete empties what is selected (the moved block), in one step.
    QTest::keyClick(view, Qt::Key_Delete);
    QCOMPARE(titlesOf(*album), QStringLiteral("A..BCDEFI"));
    QCOMPARE(album->undoStack()->count(), 2);
    album->undoStack()->undo();
    QCOMPARE(titlesOf(*album), QStringLiteral("AGHBCDEFI"));
    // Paste without a cut moves nothing.
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(album->undoStack()->index(), 1);
}

void TestOverview::thumbnailsAndMissingPhotos()
{
    const QString photo = dir.filePath(QStringLiteral("red.jpg"));
    const QImage red = solidPhoto(QSize(640, 480), Qt::red);
    QVERIFY(red.save(photo));
    album->set_image(1, photo);
    album->set_image(2, dir.filePath(QStringLiteral("gone.jpg")));
    AlbumListModel* model = window->model();

    // Asked for when a tile is shown, delivered later from a worker.
    model->index(0).data(Qt::DecorationRole);
    model->index(1).data(Qt::DecorationRole);
    QTRY_VERIFY(!model->index(0).data(Qt::DecorationRole).value<QPixmap>().isNull());
    const QImage thumb = model->index(0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    QCOMPARE(thumb.size(), window->thumbnailLoader()->size());
    QCOMPARE(thumb.pixelColor(10, 10).red() > 200, true);
    QTRY_VERIFY(model->index(1).data(AlbumListModel::MissingRole).toBool());
    QVERIFY(model->index(1)
                .data(Qt::ToolTipRole)
                .toString()
                .contains(QStringLiteral("見つかりません")));
    QVERIFY(!model->index(2).data(AlbumListModel::MissingRole).toBool());
    // The tile says why, as the slot does.
    QVERIFY(model->index(1)
                .data(AlbumListModel::FailureRole)
                .toString()
                .startsWith(QStringLiteral("写真ファイルが見つかりません")));
}

void TestOverview::droppedFilesAskForAnImport()
{
    QSignalSpy asked(window, &OverviewWindow::importRequested);
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(QStringLiteral("/tmp/a.jpg")),
        QUrl::fromLocalFile(QStringLiteral("/tmp/b.jpg")) });
    AlbumListModel* model = window->model();
    QVERIFY(model->canDropMimeData(&data, Qt::CopyAction, -1, 0, model->index(4)));
    QVERIFY(!model->dropMimeData(&data, Qt::CopyAction, -1, 0, model->index(4)));
    QTRY_COMPARE(asked.size(), 1);
    QCOMPARE(asked.at(0).at(0).toStringList(),
        (QStringList { QStringLiteral("/tmp/a.jpg"), QStringLiteral("/tmp/b.jpg") }));
    QCOMPARE(asked.at(0).at(1).toInt(), 5);
    // Nothing changes before the import dialog has been answered.
    QCOMPARE(album->undoStack()->count(), 0);
}

void TestOverview::mainWindowShowsTheChosenEntry()
{
    ScriptedDialogs dialogs;
    UserSettings mainSettings;
    MainWindow main(dialogs, mainSettings, [] { return CoverData(); });
    main.album().replace_document(albumOf(QStringLiteral("ABCDEF")), {});
    main.commands().action(Command::Overview)->trigger();
    OverviewWindow* overview = main.albumTools().overview();
    QVERIFY(overview && overview->isVisible());
    QCOMPARE(overview->model()->rowCount(), 6);

    // Enter on entry 5: page 2 on screen, its middle slot selected.
    QListView* view = overview->view();
    view->setCurrentIndex(overview->model()->index(4));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(main.pageView().current_page(), 2);
    QCOMPARE(main.pageView().selected_slot(), 1);

    // A move in the overview shows in the main window's slots at once.
    overview->model()->move_positions({ 5 }, 1);
    QCOMPARE(main.album().entries().entry(1).title, QStringLiteral("E"));

    // The album's undo and redo keys work here too, paste puts the first cut
    // entry at the chosen number, and Escape closes.
    const QPointer<OverviewWindow> open = overview;
    overview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(overview));
    const auto press = [&](const char* keys) {
        for (const QString& key : QString::fromLatin1(keys).split(u' '))
            QTest::keySequence(view, QKeySequence(key));
        return titlesOf(main.album());
    };
    QCOMPARE(press("Ctrl+Z"), QStringLiteral("ABCDEF"));
    QCOMPARE(press("Ctrl+Y Ctrl+Z Ctrl+Shift+Z"), QStringLiteral("EABCDF"));
    view->setCurrentIndex(overview->model()->index(0));
    QCOMPARE(press("Ctrl+X Right Right Right Ctrl+V"), QStringLiteral("ABCEDF"));
    press("Esc");
    QVERIFY(!open || !open->isVisible());
    main.album().mark_saved({});
}

QTEST_MAIN(TestOverview)
#include "tst_overview.moc"
