#include "app/batchimportcommand.h"
#include "app/photocommands.h"
#include "app/photorecords.h"
#include "app/rereadcommand.h"
#include "docfile/documentreader.h"
#include "docfile/documentwriter.h"
#include "docfile/infofile.h"
#include "model/album.h"
#include "photos/photoloader.h"
#include "scripteddialogs.h"
#include "ui/batchimportdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

#include <sys/stat.h>

#include "testfiles.h"
#include "testphotos.h"

using namespace zk;

namespace {

// Bytes and modification time (ns) of a file: what no command may change.
QByteArray fingerprint(const QString& path)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return "<missing>";
    return readAll(path) + QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qint64(status.st_mtim.tv_nsec));
}

// Title, 撮影箇所, 工種 and text of an entry, '|' between, CR LF as '/'.
QString summary(const EntryContent& c)
{
    return QStringList { c.title, c.info.spot, c.info.workType, c.text }
        .join(u'|')
        .replace(QLatin1String("\r\n"), QLatin1String("/"));
}

EntryContent contentOf(const QString& summary, const QString& image)
{
    const QStringList parts = summary.split(u'|');
    EntryContent c;
    c.title = parts.value(0);
    c.info.spot = parts.value(1);
    c.info.workType = parts.value(2);
    c.text = parts.value(3);
    c.image = image;
    return c;
}

} // namespace

class TestBoardFill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void place_data();
    void place();

private:
    QTemporaryDir dir;
    QString photo;
    QByteArray photoBefore;
};

void TestBoardFill::initTestCase()
{
    photo = dir.filePath(QStringLiteral("board.jpg"));
    const QByteArray xmp = boardXmp(QStringLiteral(
        "<photo:Title>床掘</photo:Title><photo:ConstructionType>道路土工</photo:ConstructionType>"
        "<photo:ShootingSpot>No.5</photo:ShootingSpot>"));
    QVERIFY(writeAll(photo, withSegment(exifJpeg("2024:06:01 09:30:00"), 0xE1, xmpSegmentBody(xmp))));
    photoBefore = fingerprint(photo);
}

// Catches a fill that overwrites what the user typed, misses a command that
// places photos, makes a second undo step, or touches the photo file.
void TestBoardFill::place_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("before"); // entry 1: title|撮影箇所|工種|text
    QTest::addColumn<QString>("after");
    const QString filled = QStringLiteral("床掘|No.5|道路土工|");
    const QString typed = QStringLiteral("手書き|左岸||メモ");
    const QString boardText = QStringLiteral("床掘|No.5|道路土工|道路土工/撮影箇所　No.5");
    for (const char* command : { "dialog", "drop", "batch fill", "reread", "zkrtool --fill" }) {
        QTest::addRow("%s, empty", command) << command << "|||" << filled;
        QTest::addRow("%s, typed", command) << command << typed << "手書き|左岸|道路土工|メモ";
    }
    QTest::newRow("batch insert") << "batch insert" << typed << filled;
    QTest::newRow("batch fill, board text") << "batch fill, board text" << "|||" << boardText;
    QTest::newRow("batch fill, board text, typed") << "batch fill, board text" << typed
                                                   << "手書き|左岸|道路土工|メモ";
    QTest::newRow("zkrtool --board-text") << "zkrtool --fill --board-text" << "|||" << boardText;
}

void TestBoardFill::place()
{
    QFETCH(QString, command);
    QFETCH(QString, before);
    QFETCH(QString, after);

    Album album;
    album.replace_document(Document::blank(), {});
    const bool reread = command == QLatin1String("reread");
    album.set_contents({ { 1, contentOf(before, reread ? photo : QString()) } }, QStringLiteral("前"));
    const EntryContent start = album.content(1);
    album.undoStack()->clear();
    ScriptedDialogs dialogs;
    PhotoLoader loader;
    PhotoRecords records(album);
    // Opening an album is no placement: its photos are not hashed.
    album.replace_document(Document(album.document()), {}, false);
    QCOMPARE(records.pending(), 0);

    if (command.startsWith(QLatin1String("zkrtool"))) {
        const QString in = dir.filePath(QStringLiteral("in.zkr"));
        const QString out = dir.filePath(QStringLiteral("out.zkr"));
        QVERIFY(write_document(in, album.document()).ok());
        QVERIFY(InfoFile::write(in, album.document()).isEmpty());
        QProcess tool;
        tool.start(qEnvironmentVariable("ZKRTOOL"),
            QStringList { QStringLiteral("import"), in, out } + command.split(u' ').mid(1) + QStringList { photo });
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        ReadResult read = read_document(out);
        QVERIFY(read.ok());
        QVERIFY(InfoFile::read(out, &read.document).message.isEmpty());
        QCOMPARE(summary(read.document.entries.entry(1).content()), after);
        QCOMPARE(read.document.records.value(photo).sha256,
            QCryptographicHash::hash(readAll(photo), QCryptographicHash::Sha256).toHex());
        QCOMPARE(fingerprint(photo), photoBefore);
        return;
    }

    PhotoCommands photos(album, dialogs, loader, nullptr);
    photos.setPictureSize(QSize(160, 120));
    if (command == QLatin1String("dialog")) {
        dialogs.openAnswers << photo;
        photos.load_image(1);
    } else if (command == QLatin1String("drop")) {
        photos.drop_files(1, { photo });
    } else if (reread) {
        RereadCommand(album, dialogs).run(nullptr, { 1, 2 });
    } else {
        // The batch import dialog, answered as the user would.
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<BatchImportDialog*>(QApplication::activeModalWidget())) {
                d->set_placement(command.contains(QLatin1String("fill")) ? Placement::Fill : Placement::Insert);
                d->findChild<QCheckBox*>(QStringLiteral("boardText"))
                    ->setChecked(command.contains(QLatin1String("board text")));
                d->accept();
            }
        });
        answer.start(10);
        BatchImportCommand(album, dialogs, loader).run(nullptr, 1, { photo });
    }
    QCOMPARE(summary(album.content(1)), after);
    QCOMPARE(album.content(1).image, photo);
    // The fill is part of the placement's one step.
    QCOMPARE(album.undoStack()->count(), 1);
    records.settle();
    QCOMPARE(album.document().records.value(photo).sha256,
        QCryptographicHash::hash(readAll(photo), QCryptographicHash::Sha256).toHex());
    album.undoStack()->undo();
    QCOMPARE(album.content(1), start);
    QCOMPARE(fingerprint(photo), photoBefore);
}

QTEST_MAIN(TestBoardFill)
#include "tst_boardfill.moc"
