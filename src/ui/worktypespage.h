#pragma once

#include "model/worktypelist.h"

#include <QWidget>

#include <functional>

class QPushButton;
class QTableWidget;

namespace zk {

class Dialogs;

// The 工種一覧 page of the options window: the master list of 工種/種別/細別
// that the photo information forms offer, to edit as a table, fill from a
// CSV file or grow from the blackboard data of the album's photos. Nothing is
// stored until apply() (OK or 更新 of the window).
class WorkTypesPage : public QWidget
{
    Q_OBJECT

public:
    // The rows the album's photos offer, read when the user asks for them.
    using PhotoRows = std::function<QList<WorkTypeRow>()>;

    WorkTypesPage(Dialogs& dialogs, const QString& file, PhotoRows photoRows, QWidget* parent);

    QTableWidget* table() const { return rowTable; }
    QPushButton* fromPhotosButton() const { return fromPhotos; }
    QList<WorkTypeRow> rows() const;

    void add_row();
    void remove_rows();
    void import_rows();
    // Adds the rows of a CSV file (UTF-8 or Shift-JIS) after the others.
    bool import_from(const QString& path);
    // Adds the rows the album's photos carry that the list lacks.
    void add_from_photos();

    // Stores the list; false, after telling the user, when it cannot be written.
    bool apply();

private:
    // Appends the rows the table lacks; returns how many were new.
    int addRows(const QList<WorkTypeRow>& more);

    Dialogs& dialogs;
    QString file;
    PhotoRows photoRows;
    QTableWidget* rowTable;
    QPushButton* fromPhotos;
};

} // namespace zk
