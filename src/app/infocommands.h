#pragma once

#include "model/worktypelist.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace zk {

class Album;
class BulkInfoDialog;
class Dialogs;
class PhotoInfoDialog;
struct InfoPatch;

// Setting the photo information: 写真情報 for one entry, 写真情報の一括設定
// for many, and 並べ替え of the whole album by it. Each change of the album
// is one undo step.
class InfoCommands : public QObject
{
    Q_OBJECT

public:
    // The position of the entry the selected slot shows.
    using SelectedPosition = std::function<int()>;

    // workTypeFile: the user's master list of 工種/種別/細別.
    InfoCommands(Album& album, Dialogs& dialogs, QWidget* window, SelectedPosition selected,
        QString workTypeFile);

    // Opens 写真情報 for the entry at position (0: the selected one); OK sets
    // the information in one step. The window is modal (no other window
    // can move the entry meanwhile) without blocking the caller.
    // It stands over `parent` (none: the main window).
    PhotoInfoDialog* edit_info(int position = 0, QWidget* parent = nullptr);
    // Asks for the items to set on the given entries and sets them in one step.
    BulkInfoDialog* bulk_info(QWidget* parent, const QList<int>& positions);
    // Sets a patch on the given entries in one step; returns how many changed.
    int apply_patch(const QList<int>& positions, const InfoPatch& patch);
    // Orders the album by its photo information in one step; returns what
    // was done, for a status line.
    QString sort_album();

    // What the forms offer: the master list, then the album's own values.
    QList<WorkTypeRow> choices() const;
    // The 工種/種別/細別 on the blackboards of the album's photos.
    QList<WorkTypeRow> photo_rows() const;

    // The master list's file; the user's by default.
    void setWorkTypeFile(const QString& file) { workTypeFile = file; }

private:
    Album& album;
    Dialogs& dialogs;
    QPointer<QWidget> window;
    SelectedPosition selected;
    QString workTypeFile;
};

} // namespace zk
