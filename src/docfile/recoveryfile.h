#pragma once

#include "model/document.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class QFile;

namespace zk {

// What a recovery file holds: the album, the file it belongs to, and when it
// was written.
struct Recovered
{
    Document document;
    QString albumPath; // empty for an album never saved
    QDateTime written;
    QString error; // for the user, in Japanese; empty on success

    bool ok() const { return error.isEmpty(); }
};

// How long a copy set aside is kept: a week for one the user was told of,
// for good one that was never offered.
enum class AsideKeeping { Week, Always };

// The recovery files of the albums being edited: one per running program,
// named with its process id and start time and locked while it runs, so that
// two programs never share one. A file whose lock is free was left by a
// program that ended without removing it (a crash, a power cut).
//
// The content is the album's JSON form (as zkrtool dump writes it, so it
// keeps every character, also ones the album file's code page cannot hold)
// with the album's path added.
class RecoveryFile
{
public:
    // Files moved aside are deleted after this many days.
    static constexpr int KeepAsideDays = 7;
    // Larger files are not read: the JSON form of the largest album file
    // (64 MiB of Shift-JIS) with every character in UTF-8 and escaped.
    static constexpr qint64 MaxBytes = 3 * 64 * 1024 * 1024;

    // $XDG_STATE_HOME/zelkora/recovery, by default ~/.local/state/zelkora/recovery.
    static QString defaultDirectory();

    explicit RecoveryFile(QString directory);
    ~RecoveryFile();

    // Creates the folder and takes this program's file; the error says why not.
    bool claim(QString* error);
    // This program's file (valid after claim).
    QString path() const { return ownPath; }
    const QString& directory() const { return folder; }

    // Files of programs that are no longer running, newest first.
    QStringList orphans() const;
    // Makes an orphan this program's file (after it was restored).
    bool adopt(const QString& orphan);
    // Moves an orphan into the "aside" folder: for KeepAsideDays from now
    // (the time goes into a note beside it), or until the user removes it. The new
    // path, or "" when it could not be moved.
    QString move_aside(const QString& orphan, AsideKeeping keeping = AsideKeeping::Week);
    QString asideDirectory() const;
    // Deletes what was set aside for a week more than KeepAsideDays before now.
    void purge_aside(const QDateTime& now);

    static QByteArray encode(const Document& document, const QString& albumPath);
    static Recovered read(const QString& file);

private:
    QString folder;
    QString ownPath;
    std::unique_ptr<QFile> lock;
};

// Replaces path with bytes in one step (temporary file, flush, sync, rename):
// a crash leaves either the old file or the new one. Returns an error message
// for the user, empty on success.
QString write_recovery_file(const QString& path, const QByteArray& bytes);

} // namespace zk
