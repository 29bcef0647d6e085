#pragma once

#include <QStringList>

class QWidget;

namespace zk {

class Album;
class Dialogs;
class PhotoLoader;

// 写真の一括取込: chooses photos, lets the user settle their order and place
// in the batch import dialog, and places them in one album step.
class BatchImportCommand
{
public:
    BatchImportCommand(Album& album, Dialogs& dialogs, PhotoLoader& loader);

    // Opens the file dialog first when files is empty. start is the entry the
    // photos go to (the selected slot's, or where files were dropped).
    // Returns true when photos were placed.
    bool run(QWidget* parent, int start, const QStringList& files = {});

    static QString stepName() { return QStringLiteral("写真の一括取込"); }

private:
    Album& album;
    Dialogs& dialogs;
    PhotoLoader& loader;
    // Where the photos came from last time: the file dialog opens there.
    QString lastFolder;
};

} // namespace zk
