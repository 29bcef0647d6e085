#pragma once

#include <QObject>
#include <QStringList>

namespace zk {

class MainWindow;

// Putting photos into the slots of the page on screen and taking them out.
class PhotoCommands : public QObject
{
    Q_OBJECT

public:
    explicit PhotoCommands(MainWindow& window);

    // The photo step of showing a page: slot k shows the picture in path,
    // nothing for "", or a notice naming a file that cannot be read (the
    // entry keeps its path).
    void show_photo(int k, const QString& path);

    // Asks for a photo file and puts it into the slot.
    void load_image(int slot);
    // Empties the slot's photo, title and text.
    void delete_image(int slot);
    // Files dropped on the slot's photo.
    void Image1_OLEDragDrop(int slot, const QStringList& paths);

    // The file dialog's filter for photos.
    static QString photoFilter();

private:
    // Loads the picture into the slot, writes the path into the entry and
    // grows the album when the last slot of the last page was filled.
    // Returns the loader's reason, changing nothing, when the file cannot be
    // shown; empty when the photo was placed.
    QString place_photo(int slot, const QString& path);
    // Tells the user at once when the path holds a character that the album
    // file cannot store, since that would stop every later save.
    void warn_unsavable_path(const QString& path);

    MainWindow& window;
};

} // namespace zk
