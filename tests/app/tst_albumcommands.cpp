#include "model/album.h"
#include "app/batchimportcommand.h"
#include "ui/batchimportdialog.h"
#include "photos/photoloader.h"
#include "app/relinkcommand.h"
#include "scripteddialogs.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

namespace {

Document emptyAlbum(int entries)
{
    Document d;
    for (int p = 1; p <= entries; ++p)
        d.entries.append_entry(number_text(p), {}, {}, {});
    return d;
}

QStringList imagesOf(const Album& album)
{
    QStringList names;
    for (int p = 1; p <= album.entries().entry_count(); ++p)
        names << QFileInfo(album.entries().entry(p).image).fileName();
    return names;
}

} // namespace

class TestAlbumCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void batchImport_data();
    void batchImport();
    void relink_data();
    void relink();

private:
    QString file(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void TestAlbumCommands::initTestCase()
{
    const QImage image = solidPhoto(QSize(64, 48), Qt::blue);
    for (const char* name : { "P1.jpg", "P2.jpg", "P10.jpg" })
        QVERIFY(image.save(file(QLatin1String(name))));
    QVERIFY(writeAll(file(QStringLiteral("notes.jpg")), "not a picture"));
}

void TestAlbumCommands::batchImport_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<bool>("accept"); // the batch import dialog's answer
    QTest::addColumn<QList<Answer>>("answers"); // to the questions that follow
    QTest::addColumn<QStringList>("placed"); // images of entries 1..
    QTest::addColumn<QString>("message"); // a text the last message holds; "" for none
    QTest::newRow("natural order, unreadable listed once")
        << QStringList { "P10.jpg", "notes.jpg", "P2.jpg", "P1.jpg" } << true << QList<Answer> {}
        << QStringList { "P1.jpg", "P2.jpg", "P10.jpg" } << "notes.jpg";
    QTest::newRow("repeat declined")
        << QStringList { "P2.jpg", "P2.jpg", "P1.jpg" } << true << QList<Answer> { Answer::No }
        << QStringList { "P1.jpg", "P2.jpg", "" } << "P2.jpg";
    QTest::newRow("repeat confirmed")
        << QStringList { "P2.jpg", "P2.jpg", "P1.jpg" } << true << QList<Answer> { Answer::Yes }
        << QStringList { "P1.jpg", "P2.jpg", "P2.jpg" } << "P2.jpg";
    QTest::newRow("cancelled") << QStringList { "P1.jpg", "P2.jpg" } << false << QList<Answer> {}
                               << QStringList { "", "", "" } << "";
    QTest::newRow("a folder stands for its pictures")
        << QStringList { "." } << true << QList<Answer> {}
        << QStringList { "P1.jpg", "P2.jpg", "P10.jpg" } << "notes.jpg";
}

void TestAlbumCommands::batchImport()
{
    QFETCH(QStringList, chosen);
    QFETCH(bool, accept);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, placed);
    QFETCH(QString, message);

    Album album;
    album.replace_document(emptyAlbum(3), {});
    ScriptedDialogs dialogs;
    QStringList paths;
    for (const QString& name : chosen)
        paths << QDir::cleanPath(file(name));
    dialogs.openFilesAnswers << paths;
    dialogs.messageAnswers = answers;
    PhotoLoader loader;

    // Answers the batch import dialog whenever it is shown.
    QTimer answer;
    int shown = 0;
    connect(&answer, &QTimer::timeout, this, [&] {
        if (auto* d = qobject_cast<BatchImportDialog*>(QApplication::activeModalWidget())) {
            ++shown;
            accept ? d->accept() : d->reject();
        }
    });
    answer.start(10);
    BatchImportCommand(album, dialogs, loader).run(nullptr, 1);
    answer.stop();

    QVERIFY(shown >= 1);
    QCOMPARE(imagesOf(album).mid(0, placed.size()), placed);
    QCOMPARE(album.undoStack()->count(), accept ? 1 : 0);
    if (message.isEmpty()) {
        QVERIFY(dialogs.messages.isEmpty());
    } else {
        QVERIFY(dialogs.lastMessage().contains(message));
        // Left-out files come in one message, not one each.
        QVERIFY(dialogs.messages.size() <= 1 + answers.size());
    }
    if (accept) {
        album.undoStack()->undo();
        QCOMPARE(imagesOf(album), (QStringList { "", "", "" }));
    }
}

void TestAlbumCommands::relink_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("image"); // of entry 1 afterwards
    QTest::newRow("replaced on yes") << Answer::Yes << "found";
    QTest::newRow("kept on no") << Answer::No << "old";
}

void TestAlbumCommands::relink()
{
    QFETCH(Answer, answer);
    QFETCH(QString, image);
    Document d = emptyAlbum(3);
    d.entries.set_field(1, EntryField::Image, QStringLiteral("D:\\現場\\P10.JPG"));
    d.entries.set_field(1, EntryField::Title, QStringLiteral("kept title"));
    Album album;
    album.replace_document(d, {});
    ScriptedDialogs dialogs;
    dialogs.folderAnswers << dir.path();
    dialogs.messageAnswers << answer;

    RelinkCommand(album, dialogs).run(nullptr);
    QVERIFY(dialogs.lastMessage().contains(QStringLiteral("見つかった写真: 1 枚")));
    const QString expected = image == QLatin1String("found") ? file(QStringLiteral("P10.jpg"))
                                                             : QStringLiteral("D:\\現場\\P10.JPG");
    QCOMPARE(album.entries().entry(1).image, expected);
    QCOMPARE(album.entries().entry(1).title, QStringLiteral("kept title"));
    QCOMPARE(album.undoStack()->count(), answer == Answer::Yes ? 1 : 0);
}

QTEST_MAIN(TestAlbumCommands)
#include "tst_albumcommands.moc"
