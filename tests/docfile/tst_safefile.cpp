#include "docfile/documentwriter.h"
#include "docfile/safefile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "filesizelimit.h"
#include "testfiles.h"

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace zk;

namespace {

const QByteArray oldBytes = "the album as it was\r\n";

} // namespace

class TestSafeFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every failing step (a write at the start or in the middle, the sync,
    // the rename, a real full disk) keeps the old file byte for byte, leaves
    // no temporary file, reports failure and names the cause.
    void failureKeepsTheOldFile_data();
    void failureKeepsTheOldFile();
    // A target that is not a regular file is refused before anything is
    // written; a link stays a link; the old file's mode is kept.
    void targets_data();
    void targets();
    void inPlaceWhenTheFolderRefuses();

private:
    QString path(const char* name) const { return dir->filePath(QLatin1String(name)); }
    // A fresh folder holding only the old album.
    void freshFolder()
    {
        dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        QVERIFY(writeAll(path("album.zkr"), oldBytes));
    }
    std::unique_ptr<QTemporaryDir> dir;
    QTemporaryDir state; // $XDG_STATE_HOME
};

void TestSafeFile::failureKeepsTheOldFile_data()
{
    QTest::addColumn<int>("stage"); // -1: a real limit on the file size
    QTest::addColumn<int>("error");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("inPlace"); // the folder refuses a new file

    const QString full = QStringLiteral("ディスクの空き容量が足りません");
    // Below and above the 16 KiB that QSaveFile kept in its buffer.
    QTest::newRow("no space at once")
        << int(SafeFile::Stage::Write) << ENOSPC << 0ll << 16350 << full << false;
    QTest::newRow("no space at byte 14000")
        << int(SafeFile::Stage::Write) << EFBIG << 14000ll << 15000 << full << false;
    QTest::newRow("sync fails") << int(SafeFile::Stage::Sync) << EIO << 0ll << 100
                                << QStringLiteral("ディスクへの書き込みでエラーが起きました") << false;
    QTest::newRow("rename fails") << int(SafeFile::Stage::Rename) << EXDEV << 0ll << 100
                                  << QString::fromLocal8Bit(std::strerror(EXDEV)) << false;
    QTest::newRow("real full disk, small") << -1 << 0 << 8000ll << 16350 << full << false;
    QTest::newRow("real full disk, large") << -1 << 0 << 8000ll << 100000 << full << false;
    QTest::newRow("in place, no space at byte 14000")
        << int(SafeFile::Stage::Write) << ENOSPC << 14000ll << 15000 << full << true;
    QTest::newRow("in place, sync fails") << int(SafeFile::Stage::Sync) << EIO << 0ll << 100
                                          << QStringLiteral("上書き") << true;
}

void TestSafeFile::failureKeepsTheOldFile()
{
    QFETCH(int, stage);
    QFETCH(int, error);
    QFETCH(qint64, offset);
    QFETCH(int, size);
    QFETCH(QString, cause);
    QFETCH(bool, inPlace);

    freshFolder();
    const QByteArray bytes(size, 'x');
    QString message;
    if (stage < 0) {
        const FileSizeLimit limit { rlim_t(offset) };
        message = write_file_atomically(path("album.zkr"), bytes).message;
    } else {
        SafeFile file(path("album.zkr"));
        file.injectFault(SafeFile::Stage(stage), error, offset);
        if (inPlace)
            file.injectFault(SafeFile::Stage::Create, EACCES);
        QVERIFY(file.open());
        // Written in pieces, as the PDF engine writes.
        bool allWritten = true;
        for (qsizetype at = 0; at < bytes.size(); at += 1000)
            allWritten &= file.write(bytes.mid(at, 1000)) >= 0;
        QVERIFY(!file.commit());
        QCOMPARE(allWritten, stage != int(SafeFile::Stage::Write));
        message = save_failure_message(path("album.zkr"), file);
    }
    QCOMPARE(readAll(path("album.zkr")), oldBytes);
    QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { "album.zkr" });
    QVERIFY2(message.contains(cause), qPrintable(message));
    QVERIFY2(
        message.contains(QStringLiteral("元のファイルは変更されていません")), qPrintable(message));
    QVERIFY(!message.contains(QLatin1String("canceled")));
    QVERIFY(QDir(state.filePath("zelkora/saving")).isEmpty());
}

// A folder that refuses new files: the album is written in place, and the
// copy of its old bytes is gone once the new ones are synced.
void TestSafeFile::inPlaceWhenTheFolderRefuses()
{
    freshFolder();
    const auto inodeOf = [](const QString& file) {
        struct stat st
        {
        };
        return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
    };
    const ino_t inode = inodeOf(path("album.zkr"));
    SafeFile file(path("album.zkr"));
    file.injectFault(SafeFile::Stage::Create, EACCES);
    QVERIFY(file.open());
    QCOMPARE(file.write("new"), 3);
    QVERIFY2(file.commit(), qPrintable(file.failure()));
    QVERIFY(file.writesInPlace());
    QCOMPARE(readAll(path("album.zkr")), QByteArray("new"));
    QCOMPARE(inodeOf(path("album.zkr")), inode);
    QVERIFY(QDir(state.filePath("zelkora/saving")).isEmpty());
}

void TestSafeFile::targets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("refusal");

    // One folder for all rows: each row looks at a different file.
    freshFolder();
    const QString fifo = path("fifo.zkr");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(QFile::link(fifo, path("to-fifo.zkr")));
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.zkr")));
    QVERIFY(::chmod(QFile::encodeName(path("album.zkr")).constData(), 0640) == 0);
    QVERIFY(QFile::link(path("album.zkr"), path("link.zkr")));

    QTest::newRow("fifo") << fifo << false << QStringLiteral("通常のファイルではない");
    QTest::newRow("link to a fifo")
        << path("to-fifo.zkr") << false << QStringLiteral("通常のファイルではない");
    QTest::newRow("device") << QStringLiteral("/dev/null") << false
                            << QStringLiteral("通常のファイルではない");
    QTest::newRow("folder") << path("folder.zkr") << false << QStringLiteral("フォルダ");
    QTest::newRow("regular, mode 0640") << path("album.zkr") << true << QString();
    QTest::newRow("link to a regular file") << path("link.zkr") << true << QString();
    QTest::newRow("new file") << path("new.zkr") << true << QString();
}

void TestSafeFile::targets()
{
    QFETCH(QString, target);
    QFETCH(bool, written);
    QFETCH(QString, refusal);

    const QFileInfo before(target);
    const bool wasLink = before.isSymLink();
    struct stat old
    {
    };
    const bool existed = ::stat(QFile::encodeName(target).constData(), &old) == 0;

    const FileWriteResult result = write_file_atomically(target, "new bytes");
    QCOMPARE(result.ok(), written);
    QVERIFY2(result.message.contains(refusal), qPrintable(result.message));

    struct stat now
    {
    };
    QVERIFY(::stat(QFile::encodeName(target).constData(), &now) == 0);
    QCOMPARE(QFileInfo(target).isSymLink(), wasLink);
    if (!written) {
        QCOMPARE(now.st_mode, old.st_mode);
        QCOMPARE(now.st_ino, old.st_ino);
        return;
    }
    QCOMPARE(readAll(target), QByteArray("new bytes"));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    QCOMPARE(now.st_mode & 07777, existed ? old.st_mode & 07777 : 0666 & ~mask);
    // Nothing is left beside the file but what the test made.
    for (const QString& name :
        QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
