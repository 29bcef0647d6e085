#pragma once

#include "photos/photoloader.h"

#include <QObject>
#include <QSize>
#include <QStringList>

class QWidget;

namespace zk {

class Album;
class Dialogs;

// Putting photos into the album's entries and taking them out. Positions are
// entry positions; the window turns its slots into positions.
class PhotoCommands : public QObject
{
    Q_OBJECT

public:
    // Dialogs and messages appear over window.
    PhotoCommands(Album& album, Dialogs& dialogs, PhotoLoader& loader, QWidget* window);

    // The size at which the slots show photos, so that checking a file also
    // readies the picture the slot is about to show.
    void setPictureSize(QSize size) { pictureSize = size; }
    // How the slots fit photos into that size.
    void setPictureFit(PhotoFit fit) { pictureFit = fit; }

    // Asks for a photo file and puts it into the entry. A cancelled dialog
    // counts as an edit too; a file that is no picture changes nothing and
    // the user is told.
    void load_image(int position);
    // Empties the entry's photo, title and text.
    void delete_image(int position);
    // Files dropped on the entry's slot: exactly one picture is placed.
    void drop_files(int position, const QStringList& paths);

Q_SIGNALS:
    // A photo was placed at position, or its dialog cancelled: the user goes
    // on with the entry's title.
    void finished(int position);
    // The user placed a photo at position (not a cancelled dialog).
    void photoPlaced(int position);

private:
    // Writes the path into the entry, growing the album by a page when the
    // last entry was filled; the photo's blackboard data fills what is empty
    // in the same step. Returns the loader's reason, changing nothing,
    // when the file cannot be shown; empty when the photo was placed.
    QString place_photo(int position, const QString& path);
    // Tells the user at once when the path holds a character that the album
    // file cannot store, since that would stop every later save.
    void warn_unsavable_path(const QString& path);

    Album& album;
    Dialogs& dialogs;
    PhotoLoader& loader;
    QWidget* window;
    QSize pictureSize;
    PhotoFit pictureFit = PhotoFit::Stretch;
};

} // namespace zk
