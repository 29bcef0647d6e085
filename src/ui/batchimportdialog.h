#pragma once

#include "photos/importcandidate.h"
#include "photos/importplan.h"

#include <QDialog>
#include <QHash>
#include <QIcon>

class QButtonGroup;
class QCheckBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLayout;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace zk {

class Dialogs;
class EntryTable;
struct FileRequest;
class PhotoLoader;

// The choices of a batch import: the order of the photos, where they go,
// and a preview of what will be placed. It changes nothing itself; the
// command applies plan() to the album once the user has said OK.
class BatchImportDialog : public QDialog
{
    Q_OBJECT

public:
    BatchImportDialog(const EntryTable& entries, int start, Dialogs& dialogs, PhotoLoader& loader,
        QWidget* parent = nullptr);

    // Looks at the files (folders stand for the pictures in them) and adds
    // them to the list. A progress window with 中止 shows when this takes
    // longer than half a second; returns false, adding nothing, on 中止.
    bool add_files(const QStringList& paths);

    // The photos that can be placed, in the order shown, and where, with
    // their blackboard data and whether it also fills empty texts.
    ImportPlan plan() const;
    // The files that cannot be placed, each with its reason.
    QStringList leftOut() const;
    // Paths chosen more than once.
    QStringList repeatedFiles() const;
    // Keeps the first of each repeated file only.
    void drop_repeats();

    // The file dialog for photos: files or a whole folder, opening in folder.
    static FileRequest photo_request(const QString& folder);
    // The folder the last files came from, for the next time.
    const QString& last_folder() const { return lastFolder; }

    ImportOrder order() const;
    void set_order(ImportOrder order);
    void set_placement(Placement placement);

private:
    void buildDialog();
    QGroupBox* buildOrderBox();
    QGroupBox* buildPlaceBox();
    QLayout* buildPhotoList();
    void refresh();
    void moveSelected(int step);
    void removeSelected();
    void addFolder();
    // The rows as the user dragged them: the new order shown.
    void takeDraggedOrder();
    // Thumbnails for the rows in view.
    void showVisibleThumbnails();
    QList<ImportCandidate> placeable() const;
    QIcon thumbnail(const QString& path);

    const EntryTable& entries;
    Dialogs& dialogs;
    PhotoLoader& loader;
    // As chosen, and in the order shown.
    QList<ImportCandidate> chosen;
    QList<ImportCandidate> shown;
    QHash<QString, QIcon> thumbnails;
    QString lastFolder;
    bool rebuilding = false; // refresh() fills the list: no drag to take

    QButtonGroup* orderGroup = nullptr;
    QButtonGroup* placementGroup = nullptr;
    QSpinBox* startBox = nullptr;
    QCheckBox* boardTextBox = nullptr;
    QTreeWidget* list = nullptr;
    QPushButton* upButton = nullptr;
    QPushButton* downButton = nullptr;
    QPushButton* removeButton = nullptr;
    QLabel* countLabel = nullptr;
    QLabel* limitLabel = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

} // namespace zk
