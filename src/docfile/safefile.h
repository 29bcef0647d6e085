#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

namespace zk {

// Replaces a file in one step, or not at all.
//
// The bytes go into an unnamed temporary file in the target's folder
// (O_TMPFILE), so that a crash or a kill leaves nothing behind. Every write is
// checked, the file is synced and checked, given the old file's mode and only
// then renamed over the target. Any failure leaves an existing target byte for
// byte as it was and names its cause.
//
// QSaveFile is not enough: in Qt 6.4 it buffers writes below 16 KiB and does
// not report the failed flush inside commit(), so a full disk turned an album
// into an empty file that was reported saved.
//
// A target that exists and is not a regular file (a FIFO, a device, a folder)
// is refused before anything is written; a symbolic link stays a link and its
// target is replaced.
//
// When the folder refuses a new file but the file itself may be written (an
// album shared in a folder of another user), the file is written in place:
// its old bytes are first copied into the state folder
// ($XDG_STATE_HOME/zelkora/saving), the new ones are written, cut to length
// and synced, and only then is the copy removed. Should that fail, the old
// bytes are written back; should even that fail, the copy stays and the
// message names it.
class SafeFile : public QIODevice
{
    Q_OBJECT

public:
    // Where a fault is injected, for tests of every writer's failure path.
    // Create: making the new file beside the target (as a folder without
    // write permission refuses it), independent of the other stages.
    enum class Stage { Write, Sync, Rename, Create };

    explicit SafeFile(const QString& path);
    ~SafeFile() override; // discards the temporary file unless committed

    // WriteOnly only; writes are never buffered.
    bool open(OpenMode mode = WriteOnly) override;
    bool isSequential() const override { return true; }
    // Syncs and replaces the target. False, with errorString() set, when any
    // write failed or when the file cannot be synced or renamed.
    bool commit();
    // Discards what was written; the target stays as it was.
    void cancel();

    // The cause of the first failure, for the user, in Japanese.
    // (QIODevice::errorString() holds the same text.)
    QString failure() const { return cause; }
    // True when the target existed when the file was opened.
    bool replacesExisting() const { return existed; }
    // True when the target was written in place.
    bool writesInPlace() const { return inPlace; }
    // Where the old bytes are kept when a failed save in place could not
    // put them back; empty otherwise.
    QString keptCopy() const { return damagedTargetCopy; }

    // Makes the given stage fail with the given error number; for Write, from
    // byte offset on.
    void injectFault(Stage stage, int error, qint64 offset = 0);

    // The cause named for a system error number: the disk being full in the
    // user's words, the system's own reason otherwise.
    static QString describeError(int error);
    // Empty when path may be replaced, else why not.
    static QString checkTarget(const QString& path);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void fail(int error, const QString& why = {});
    void discard();
    bool linkIntoPlace();
    bool openInPlace();
    void commitInPlace();

    // Writing in place: the new bytes until commit(), the old ones, and
    // their copy in the state folder.
    bool inPlace = false;
    QByteArray pending;
    QByteArray oldContent;
    QString copyPath;
    QString damagedTargetCopy;
    int createFault = 0;

    QString path; // as given
    QString target; // the file that is replaced: path with links followed
    QString tempName; // a named temporary file, where O_TMPFILE is not available
    int fd = -1;
    bool existed = false;
    unsigned existingMode = 0;
    unsigned existingUid = 0;
    unsigned existingGid = 0;
    qint64 written = 0;
    bool failed = false;
    QString cause;

    Stage faultStage = Stage::Write;
    int faultError = 0;
    qint64 faultOffset = 0;
};

struct FileWriteResult
{
    QString message; // names the file and the cause; empty on success

    bool ok() const { return message.isEmpty(); }
};

// Writes bytes to path through SafeFile. The message reads
// "<path>\n\n保存できませんでした (<cause>). 元のファイルは変更されていません."
FileWriteResult write_file_atomically(const QString& path, QByteArrayView bytes);

// The message above for a SafeFile that failed.
QString save_failure_message(const QString& path, const SafeFile& file);

} // namespace zk
