#pragma once

#include "ui/dialogs.h"
#include "docfile/albumlock.h"
#include "docfile/filestamp.h"
#include "model/coverdata.h"

#include <QObject>

#include <functional>

class QWidget;

namespace zk {

class Album;

// New, open and save of the album.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    // The cover data of a new album; asked again for every new album.
    using CoverDefaults = std::function<CoverData()>;

    // Dialogs and messages appear over window.
    FileCommands(Album& album, Dialogs& dialogs, CoverDefaults coverDefaults, QWidget* window);

    // A new album of one empty page with the cover defaults.
    void new_album();
    // Asks for a file and opens it.
    void open_album();
    // Asks for a name and saves the album under it.
    void save_album();

    // Replaces the album with the file's, as the open command does once a
    // file is chosen. A file that cannot be read changes nothing and is
    // reported to the user.
    bool open_document(const QString& path);

    // Replaces the album by a new, empty one with the cover data of now,
    // without asking: start-up and 新規作成 both start this way.
    void start_blank();

    // The dialog settings of the open and save commands.
    static FileRequest documentRequest(bool save);

    // The album was opened read-only because someone else holds it: it is
    // saved only under another name.
    bool readOnly() const { return onlyReading; }
    // The lock held on the album's file.
    const AlbumLock& albumLock() const { return lock; }

Q_SIGNALS:
    // A new album was started: the window asks for its cover data.
    void newAlbumStarted();
    void readOnlyChanged(bool readOnly);
    // The album is about to be written: what belongs in the file but is
    // still under way (the photos' records) is to be settled now.
    void aboutToSave();

private:
    // Asks before unsaved changes are given up; true when the user agrees
    // (or nothing is unsaved).
    bool may_discard(const QString& instead);
    // Takes the lock of a file about to be opened into next; false when the
    // user chose not to open it.
    bool take_lock(const QString& path, AlbumLock& next, bool* readOnly);
    // Whether the album may be written to path: asks before overwriting the
    // work of someone else. No means "choose another name".
    Answer may_write(const QString& path);
    void set_read_only(bool readOnly);

    Album& album;
    Dialogs& dialogs;
    CoverDefaults coverDefaults;
    QWidget* window;
    // Where the last album was opened or saved: a new album's save starts there.
    QString lastFolder;
    AlbumLock lock;
    // The album's file as it was opened or last saved.
    FileStamp stamp;
    bool onlyReading = false;
};

} // namespace zk
