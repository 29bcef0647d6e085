#pragma once

#include "docfile/recoveryfile.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

class QWidget;

namespace zk {

class Album;
class Dialogs;

// Keeps a recovery copy of the unsaved album: some time after a change (and
// at most that often while changes go on) the album is copied and written
// on a worker thread, so typing never waits for the disk. A saved album, a
// new one and a quit the user agreed to remove the copy; the album's own
// file is never written here.
class AutoSaver : public QObject
{
    Q_OBJECT

public:
    // The wait after a change before the copy is written (ms).
    static constexpr int DefaultDelay = 30000;

    AutoSaver(Album& album, RecoveryFile& file, int delay = DefaultDelay);
    ~AutoSaver() override;

    // At start-up, before the cover window: offers the newest album left by a
    // program that ended without saving it, restores it on Yes (unsaved,
    // under its own path) or moves it aside on No. True when restored.
    bool offer_recovery(Dialogs& dialogs, QWidget* window);

    // Writes the copy now (or removes it when nothing is unsaved).
    void save_now();
    // Waits until the worker has written or removed what was asked.
    void wait();
    // Removes the copy: the program ends as the user wanted.
    void discard();

Q_SIGNALS:
    // A write failed (told once per run); the message is for the user.
    void failed(const QString& message);

private:
    void album_changed();

    Album& album;
    RecoveryFile& file;
    QTimer timer;
    // One thread, so writes and removals reach the disk in the order asked.
    QThreadPool worker;
    bool reported = false;
};

} // namespace zk
