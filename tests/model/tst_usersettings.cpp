#include "model/usersettings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace zk;

class TestUserSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storeWritesOnlyWhatChanged_data();
    void storeWritesOnlyWhatChanged();
};

// A second running copy stores 写真の縦横比を保つ after this one started; this
// one's change of era must not put the old shape back, a change that cannot
// be written must not count, and readers see a stored change at once.
void TestUserSettings::storeWritesOnlyWhatChanged_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<Era>("era");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("told");
    QTest::newRow("era changed") << true << Era::Reiwa << true << 1;
    QTest::newRow("nothing changed") << true << Era::Heisei << true << 0;
    QTest::newRow("file cannot be written") << false << Era::Reiwa << false << 0;
}

void TestUserSettings::storeWritesOnlyWhatChanged()
{
    QFETCH(bool, writable);
    QFETCH(Era, era);
    QFETCH(bool, stored);
    QFETCH(int, told);
    QTemporaryDir dir;
    // A plain file where the settings' folder should be makes writing fail.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const QString file = writable ? dir.filePath(QStringLiteral("zelkora.conf"))
                                  : blocker.fileName() + QStringLiteral("/zelkora.conf");
    UserSettings settings(file);
    QSignalSpy changed(&settings, &UserSettings::changed);
    Preferences other;
    other.keepPhotoShape = true;
    other.save(file);

    Preferences next = settings.preferences();
    next.era = era;
    QCOMPARE(settings.store(next), stored);
    QCOMPARE(changed.size(), told);
    QCOMPARE(settings.preferences().era, stored ? era : Era::Heisei);
    if (writable) {
        QCOMPARE(Preferences::load(file).era, era);
        QVERIFY(Preferences::load(file).keepPhotoShape);
    }
}

QTEST_GUILESS_MAIN(TestUserSettings)
#include "tst_usersettings.moc"
