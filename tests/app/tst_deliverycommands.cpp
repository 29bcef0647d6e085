#include "app/deliverycommands.h"
#include "model/album.h"
#include "model/preferences.h"
#include "scripteddialogs.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <QTreeWidget>

#include "testfiles.h"
#include "testphotos.h"
#include "model/usersettings.h"

using namespace zk;

class TestDeliveryCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void commands_data();
    void commands();
};

void TestDeliveryCommands::commands_data()
{
    // Photos: "exif" dated, "png" not deliverable, "big" over 3 million pixels.
    QTest::addColumn<QStringList>("photos");
    QTest::addColumn<bool>("check"); // export, then check the result
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("message"); // the last message box; "" for the findings window
    QTest::addColumn<int>("entry"); // the entry of the first row, reached by double-click
    QTest::newRow("refused: the window lists it, nothing written")
        << QStringList { "exif", "png", "exif" } << false << false << "" << 2;
    QTest::newRow("written without warnings") << QStringList { "exif", "exif", "exif" } << false << true
                                              << "電子納品データを作成しました." << 0;
    QTest::newRow("written, warning leads to the entry") << QStringList { "exif", "exif", "big" } << false << true << "" << 3;
    QTest::newRow("check without findings") << QStringList { "exif", "exif", "exif" } << true << true
                                            << "に問題は見つかりませんでした." << 0;
    QTest::newRow("check finding leads to the album's entry") << QStringList { "exif", "big", "exif" } << true << true << "" << 2;
}

void TestDeliveryCommands::commands()
{
    QFETCH(QStringList, photos);
    QFETCH(bool, check);
    QFETCH(bool, written);
    QFETCH(QString, message);
    QFETCH(int, entry);
    QTemporaryDir dir;
    Document d;
    for (qsizetype i = 0; i < photos.size(); ++i) {
        const QString path = dir.filePath(QStringLiteral("photo%1.jpg").arg(i + 1));
        const QByteArray bytes = photos.at(i) == QLatin1String("png") ? QByteArray("\x89PNG\r\n\x1A\n", 8)
            : exifJpeg("2023:07:14 09:00:00", false, photos.at(i) == QLatin1String("big") ? QSize(2000, 1600) : QSize(32, 24));
        QVERIFY(writeAll(path, bytes));
        d.entries.append_entry(number_text(i + 1), QStringLiteral("写真%1").arg(i + 1), {}, path);
    }
    Album album;
    album.replace_document(d, {});
    ScriptedDialogs dialogs;
    QWidget window;
    UserSettings settings;
    DeliveryCommands commands(album, settings, dialogs, &window, nullptr);
    QSignalSpy chosen(&commands, &DeliveryCommands::entryChosen);

    const QString out = dir.filePath(QStringLiteral("out"));
    QCOMPARE(commands.run_export(out, QStringLiteral("土木201603-01")), written);
    QCOMPARE(QFileInfo::exists(out + QStringLiteral("/PHOTO/PHOTO.XML")), written);
    QCOMPARE(Preferences::load().deliveryStandard, QStringLiteral("土木201603-01"));
    if (check) {
        if (commands.findingsWindow())
            commands.findingsWindow()->hide();
        dialogs.clear();
        dialogs.folderAnswers << out;
        commands.check_delivery();
    }
    QCOMPARE(dialogs.lastMessage().contains(message) && !dialogs.lastMessage().isEmpty(), !message.isEmpty());
    if (message.isEmpty()) {
        QVERIFY(commands.findingsWindow() && commands.findingsWindow()->isVisible());
        QTreeWidget* list = commands.findingsWindow()->list();
        QVERIFY(list->topLevelItemCount() > 0);
        Q_EMIT list->itemActivated(list->topLevelItem(0), 0);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), entry);
    }
}

QTEST_MAIN(TestDeliveryCommands)
#include "tst_deliverycommands.moc"
