#include "docfile/documentwriter.h"
#include "model/album.h"

#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include "documentbytes.h"

using namespace zk;

namespace {

PhotoInfo info(const QString& workType)
{
    PhotoInfo i;
    i.workType = workType;
    i.drawings = { { QStringLiteral("/d/%1.pdf").arg(workType), workType + u'図' } };
    return i;
}

// Six entries titled A..F (two pages); `full` also fills the last one. Each
// filled entry's 工種 is its title, so that tests see the information travel.
Document fixture(int filled)
{
    Document d = Document::blank();
    d.entries.append_page();
    for (int i = 1; i <= filled; ++i) {
        const QString c(QChar(u'A' + i - 1));
        d.entries.set_field(i, EntryField::Title, c);
        d.entries.set_field(i, EntryField::Text, c + QStringLiteral("\r\n説明"));
        d.entries.set_field(i, EntryField::Image, QStringLiteral("/photos/%1.jpg").arg(c));
        d.entries.set_info(i, info(c));
    }
    d.cover.setField(CoverField::ProjectName, QStringLiteral("道路改良工事"));
    return d;
}

QString titles(const Album& album)
{
    QString s;
    for (int i = 1; i <= album.entries().entry_count(); ++i) {
        const QString& t = album.entries().get_field(i, EntryField::Title);
        s += t.isEmpty() ? QStringLiteral("-") : t;
    }
    return s;
}

// The 工種 of each entry as titles() gives the titles.
QString workTypes(const Album& album)
{
    QString s;
    for (int i = 1; i <= album.entries().entry_count(); ++i) {
        const QString& t = album.entries().entry(i).info.workType;
        s += t.isEmpty() ? QStringLiteral("-") : t;
    }
    return s;
}

void run(Album& album, const QString& op)
{
    const EntryContent photo { QStringLiteral("新"), QStringLiteral("x"),
        QStringLiteral("/n.jpg"), info(QStringLiteral("新")) };
    if (op == u"set_title")
        album.set_title(2, QStringLiteral("題名"));
    else if (op == u"set_text")
        album.set_text(5, QStringLiteral("一行目\r\n二行目"));
    else if (op == u"set_image")
        album.set_image(3, QStringLiteral("/photos/other.jpg"));
    else if (op == u"clear_entry")
        album.clear_entry(2);
    else if (op == u"clear_entries")
        album.clear_entries({ 1, 4 });
    else if (op == u"insert_place")
        album.insert_place(2);
    else if (op == u"take_out")
        album.take_out(2);
    else if (op == u"append_page")
        album.append_page();
    else if (op == u"move_forward")
        album.move_entries(1, 2, 5);
    else if (op == u"move_scattered")
        album.move_entries({ 5, 1, 3 }, 3);
    else if (op == u"set_contents")
        album.set_contents({ { 2, photo }, { 8, photo } }, QStringLiteral("一括"));
    else if (op == u"insert_contents")
        album.insert_contents(3, { photo, photo, photo, photo }, QStringLiteral("一括"));
    else if (op == u"set_info")
        album.set_info(6, info(QStringLiteral("G")));
    else if (op == u"set_infos")
        album.set_infos({ { 1, {} }, { 2, info(QStringLiteral("新")) }, { 3, info(QStringLiteral("C")) } },
            QStringLiteral("写真情報の一括設定"));
    else if (op == u"reorder_entries")
        album.reorder_entries({ 3, 1, 5, 2, 4 }, QStringLiteral("並べ替え"));
    else if (op == u"set_cover_field")
        album.set_cover_field(CoverField::Contractor, QStringLiteral("山田建設"));
    else if (op == u"set_cover") {
        CoverData c = album.cover();
        c.setField(CoverField::FiscalYear, QStringLiteral("30"));
        c.setField(CoverField::ProjectName, {});
        album.set_cover(c);
    } else if (op == u"mark_touched")
        album.mark_touched(QStringLiteral("写真の取込"));
    else
        QFAIL("unknown operation");
}

} // namespace

class TestAlbum : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyStepUndoesAndRedoesExactly_data();
    void everyStepUndoesAndRedoesExactly();
    void movesKeepNumbersAndOrder_data();
    void movesKeepNumbersAndOrder();
    void typingMergesUntilABoundary_data();
    void typingMergesUntilABoundary();
    void savedFollowsTheStack_data();
    void savedFollowsTheStack();
    void refusesToGrowPastTheLimit();
};

// A step whose undo leaves a trace (a page not removed, a field not restored,
// a number moved) or whose redo differs from the first run.
void TestAlbum::everyStepUndoesAndRedoesExactly_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("filled");
    QTest::addColumn<int>("pagesAfter");
    QTest::addColumn<QString>("titlesAfter");

    QTest::newRow("title") << "set_title" << 5 << 2 << "A題名CDE-";
    QTest::newRow("text") << "set_text" << 5 << 2 << "ABCDE-";
    QTest::newRow("image") << "set_image" << 5 << 2 << "ABCDE-";
    QTest::newRow("clear") << "clear_entry" << 5 << 2 << "A-CDE-";
    QTest::newRow("clear several") << "clear_entries" << 5 << 2 << "-BC-E-";
    QTest::newRow("insert") << "insert_place" << 5 << 2 << "A-BCDE";
    QTest::newRow("insert, full last page") << "insert_place" << 6 << 3 << "A-BCDEF--";
    QTest::newRow("take out") << "take_out" << 6 << 2 << "ACDEF-";
    QTest::newRow("page") << "append_page" << 5 << 3 << "ABCDE----";
    QTest::newRow("move") << "move_forward" << 5 << 2 << "CDABE-";
    QTest::newRow("move scattered") << "move_scattered" << 5 << 2 << "BEACD-";
    QTest::newRow("contents past the end") << "set_contents" << 5 << 3 << "A新CDE--新-";
    QTest::newRow("insert contents, growing") << "insert_contents" << 5 << 3 << "AB新新新新CDE";
    QTest::newRow("information") << "set_info" << 5 << 2 << "ABCDE-";
    QTest::newRow("information of several") << "set_infos" << 5 << 2 << "ABCDE-";
    QTest::newRow("reorder") << "reorder_entries" << 5 << 2 << "CAEBD-";
    QTest::newRow("insert, information alone last") << "info6:insert_place" << 5 << 3 << "A-BCDE---";
    QTest::newRow("cover field") << "set_cover_field" << 5 << 2 << "ABCDE-";
    QTest::newRow("cover") << "set_cover" << 5 << 2 << "ABCDE-";
    QTest::newRow("touched") << "mark_touched" << 5 << 2 << "ABCDE-";
}

void TestAlbum::everyStepUndoesAndRedoesExactly()
{
    QFETCH(QString, op);
    QFETCH(int, filled);
    QFETCH(int, pagesAfter);
    QFETCH(QString, titlesAfter);

    Album album;
    Document d = fixture(filled);
    // Information alone in the last entry still counts as filled.
    const bool infoAlone = op.startsWith(u"info6:");
    if (infoAlone) {
        op = op.mid(6);
        d.entries.set_info(6, info(QStringLiteral("G")));
    }
    album.replace_document(d, QStringLiteral("/a.zkr"));
    const QByteArray before = stateOf(album);
    QVERIFY(album.saved());

    run(album, op);
    QCOMPARE(album.undoStack()->count(), 1);
    QVERIFY(!album.saved());
    QCOMPARE(album.entries().page_count(), pagesAfter);
    QCOMPARE(titles(album), titlesAfter);
    // The information travels with its title, except where a step sets it.
    if (!op.startsWith(u"set_info") && !infoAlone)
        QCOMPARE(workTypes(album), titlesAfter.replace(QStringLiteral("題名"), QStringLiteral("B")));
    const QByteArray after = stateOf(album);
    QCOMPARE(after == before, op == u"mark_touched");

    QSignalSpy shown(&album, &Album::stepShown);
    album.undoStack()->undo();
    QCOMPARE(stateOf(album), before);
    QVERIFY(album.saved());
    album.undoStack()->redo();
    QCOMPARE(stateOf(album), after);
    QVERIFY(!album.saved());
    QCOMPARE(shown.count(), 2);
}

// Numbers belong to positions; a move must not lose or double any contents.
void TestAlbum::movesKeepNumbersAndOrder_data()
{
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("expected");

    QTest::newRow("block back") << QList<int> { 4, 5 } << 1 << "DEABCF";
    QTest::newRow("block forward") << QList<int> { 1, 2 } << 7 << "CDEFAB";
    QTest::newRow("onto itself") << QList<int> { 2, 3 } << 3 << "ABCDEF";
    QTest::newRow("scattered, given order") << QList<int> { 6, 2 } << 1 << "FBACDE";
    QTest::newRow("scattered, middle") << QList<int> { 1, 6 } << 4 << "BCAFDE";
}

void TestAlbum::movesKeepNumbersAndOrder()
{
    QFETCH(QList<int>, positions);
    QFETCH(int, to);
    QFETCH(QString, expected);

    Album album;
    album.replace_document(fixture(6), {});
    album.move_entries(positions, to);
    QCOMPARE(titles(album), expected);
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(album.entries().get_field(i, EntryField::Number), number_text(i));
    // Photos, texts and information travel with their titles.
    for (int i = 1; i <= 6; ++i) {
        const QString& t = album.entries().get_field(i, EntryField::Title);
        QCOMPARE(album.entries().get_field(i, EntryField::Image),
            QStringLiteral("/photos/%1.jpg").arg(t));
        QCOMPARE(album.entries().entry(i).info, info(t));
    }
}

// Script: "1:text" types into entry 1's title, "c:text" into the contractor
// box, "x1:text" into entry 1's text, "end" leaves the box, "+ms" lets time
// pass, "undo" undoes.
void TestAlbum::typingMergesUntilABoundary_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<int>("steps");

    QTest::newRow("one box") << QStringList { "1:a", "+500", "1:ab", "+1999", "1:abc" } << 1;
    QTest::newRow("left the box") << QStringList { "1:a", "end", "1:ab" } << 2;
    QTest::newRow("paused") << QStringList { "1:a", "+2000", "1:ab" } << 2;
    QTest::newRow("another box") << QStringList { "1:a", "2:b", "1:ab" } << 3;
    QTest::newRow("title then text") << QStringList { "1:a", "x1:a" } << 2;
    QTest::newRow("cover box") << QStringList { "c:山", "c:山田" } << 1;
    QTest::newRow("after an undo") << QStringList { "1:a", "end", "1:ab", "undo", "1:ac" } << 2;
}

void TestAlbum::typingMergesUntilABoundary()
{
    QFETCH(QStringList, script);
    QFETCH(int, steps);

    Album album;
    qint64 now = 10000;
    album.setClock([&now] { return now; });
    album.replace_document(fixture(0), {});
    const QByteArray before = bytesOf(album);
    for (const QString& s : script) {
        if (s == u"end")
            album.end_typing();
        else if (s == u"undo")
            album.undoStack()->undo();
        else if (s.startsWith(u'+'))
            now += s.mid(1).toLongLong();
        else if (s.startsWith(u"c:"))
            album.set_cover_field(CoverField::Contractor, s.mid(2));
        else if (s.startsWith(u'x'))
            album.set_text(s.mid(1, 1).toInt(), s.mid(3));
        else
            album.set_title(s.left(1).toInt(), s.mid(2));
    }
    QCOMPARE(album.undoStack()->index(), steps);
    // However the steps were cut, undoing them all gives the start back.
    while (album.undoStack()->canUndo())
        album.undoStack()->undo();
    QCOMPARE(bytesOf(album), before);
}

// Each letter is an action, each flag the expected saved state after it.
// e: edit, s: save, u: undo, r: redo, o: open, R: recovered album,
// p: marked unsaved.
void TestAlbum::savedFollowsTheStack_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("saved");

    QTest::newRow("save, edit, undo, redo") << "seur"
                                            << "+-+-";
    QTest::newRow("undo past the save") << "eseuur"
                                        << "-+-+-+";
    QTest::newRow("edit after undoing the saved step") << "esue"
                                                       << "-+--";
    QTest::newRow("open forgets the history") << "eou"
                                              << "-++";
    QTest::newRow("recovered album is unsaved") << "Rus"
                                                << "--+";
    QTest::newRow("marked unsaved until a save") << "epus"
                                                 << "---+";
}

void TestAlbum::savedFollowsTheStack()
{
    QFETCH(QString, actions);
    QFETCH(QString, saved);

    Album album;
    album.replace_document(fixture(3), {});
    QSignalSpy changes(&album, &Album::savedChanged);
    // changed() comes once per edit, undo, redo or replacement, with the
    // saved state already up to date for its listeners (the autosaver).
    QList<bool> savedWhenChanged;
    connect(&album, &Album::changed, &album, [&] { savedWhenChanged << album.saved(); });
    int n = 0;
    for (int i = 0; i < actions.size(); ++i) {
        savedWhenChanged.clear();
        const QChar action = actions.at(i);
        const bool isChange = QStringLiteral("eRo").contains(action)
            || (action == u'u' && album.undoStack()->canUndo())
            || (action == u'r' && album.undoStack()->canRedo());
        switch (actions.at(i).unicode()) {
        case 'e':
            album.end_typing();
            album.set_title(1, QString::number(++n));
            break;
        case 's':
            album.mark_saved(QStringLiteral("/saved.zkr"));
            break;
        case 'u':
            album.undoStack()->undo();
            break;
        case 'r':
            album.undoStack()->redo();
            break;
        case 'o':
            album.replace_document(fixture(2), QStringLiteral("/other.zkr"));
            break;
        case 'p':
            album.mark_unsaved();
            break;
        case 'R':
            album.replace_document(fixture(2), QStringLiteral("/other.zkr"), false);
            break;
        }
        QCOMPARE(album.saved(), saved.at(i) == u'+');
        QCOMPARE(savedWhenChanged, isChange ? QList<bool> { album.saved() } : QList<bool> {});
        // The signal tells the truth too: its last value is the state.
        if (!changes.isEmpty())
            QCOMPARE(changes.last().at(0).toBool(), album.saved());
    }
}

// At the size limit nothing may grow, and an insert that needs room must
// change nothing rather than push the last contents out.
void TestAlbum::refusesToGrowPastTheLimit()
{
    Document d = Document::blank();
    while (d.entries.append_page()) { }
    d.entries.set_field(EntryTable::MaxEntries, EntryField::Title, QStringLiteral("last"));
    Album album;
    album.replace_document(std::move(d), {});
    const QByteArray before = bytesOf(album);
    QVERIFY(!album.insert_place(1));
    QVERIFY(!album.append_page());
    QVERIFY(!album.insert_contents(1, { EntryContent { QStringLiteral("x"), {}, {}, {} } }, {}));
    QVERIFY(!album.set_contents({ { EntryTable::MaxEntries + 1, {} } }, {}));
    QCOMPARE(album.undoStack()->count(), 0);
    QCOMPARE(bytesOf(album), before);
}

QTEST_GUILESS_MAIN(TestAlbum)
#include "tst_album.moc"
