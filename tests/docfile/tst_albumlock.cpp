#include "docfile/albumlock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

using namespace zk;

class TestAlbumLock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void takingDependsOnWhoHoldsTheAlbum_data();
    void takingDependsOnWhoHoldsTheAlbum();
    void releaseRemovesOnlyOurOwnLock();
};

// A lock is taken over only when its holder is gone or long silent.
void TestAlbumLock::takingDependsOnWhoHoldsTheAlbum_data()
{
    QTest::addColumn<QString>("host"); // "": no lock file; "this": this machine
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<qint64>("ageSecs");
    QTest::addColumn<bool>("force");
    QTest::addColumn<int>("outcome");

    const auto taken = int(AlbumLock::Outcome::Taken);
    const auto stale = int(AlbumLock::Outcome::TakenOverStale);
    const auto held = int(AlbumLock::Outcome::HeldByOther);
    // pid 1 always lives; no process has a number past the kernel's limit.
    QTest::newRow("free") << "" << 0LL << 0LL << false << taken;
    QTest::newRow("live process here") << "this" << 1LL << 60LL << false << held;
    QTest::newRow("gone process here") << "this" << 99999999LL << 60LL << false << stale;
    QTest::newRow("other host, an hour") << "pc-7" << 1234LL << 3600LL << false << held;
    QTest::newRow("other host, two days") << "pc-7" << 1234LL << 172800LL << false << stale;
    QTest::newRow("forced over a live one") << "pc-7" << 1234LL << 60LL << true << taken;
    QTest::newRow("not a lock file") << "garbage" << 0LL << 0LL << false << stale;
}

void TestAlbumLock::takingDependsOnWhoHoldsTheAlbum()
{
    QFETCH(QString, host);
    QFETCH(qint64, pid);
    QFETCH(qint64, ageSecs);
    QFETCH(bool, force);
    QFETCH(int, outcome);

    QTemporaryDir dir;
    const QString album = dir.filePath(QStringLiteral("現場.zkr"));
    const QString lockFile = AlbumLock::lockPath(album);
    if (host == u"garbage")
        QVERIFY(writeAll(lockFile, "x"));
    else if (!host.isEmpty())
        QVERIFY(writeForeignLock(lockFile, host, pid, ageSecs));
    const QByteArray before = readAll(lockFile);

    AlbumLock lock;
    QCOMPARE(int(lock.take(album, force)), outcome);
    if (outcome == int(AlbumLock::Outcome::HeldByOther)) {
        // Nothing is written, and the message names who holds it.
        QCOMPARE(readAll(lockFile), before);
        QVERIFY(!lock.holds());
        QVERIFY(lock.holder().describe().startsWith(QStringLiteral("other (")));
        QCOMPARE(AlbumLock::otherHolder(album), lock.holder());
    } else {
        QVERIFY(lock.holds());
        QCOMPARE(AlbumLock::read(album).pid, AlbumLock::self().pid);
        QCOMPARE(AlbumLock::read(album).host, AlbumLock::self().host);
        QVERIFY(!AlbumLock::otherHolder(album).isValid());
    }
}

// Closing must not remove the lock of someone who took the album over.
void TestAlbumLock::releaseRemovesOnlyOurOwnLock()
{
    QTemporaryDir dir;
    const QString album = dir.filePath(QStringLiteral("a.zkr"));
    {
        AlbumLock lock;
        QCOMPARE(lock.take(album), AlbumLock::Outcome::Taken);
        QVERIFY(lock.stillOurs());
        QVERIFY(writeForeignLock(AlbumLock::lockPath(album), QStringLiteral("pc-7"), 5, 0));
        QVERIFY(!lock.stillOurs());
    }
    QVERIFY(QFile::exists(AlbumLock::lockPath(album)));
    {
        AlbumLock lock;
        QCOMPARE(lock.take(album, true), AlbumLock::Outcome::Taken);
    }
    QVERIFY(!QFile::exists(AlbumLock::lockPath(album)));
}

QTEST_GUILESS_MAIN(TestAlbumLock)
#include "tst_albumlock.moc"
