#pragma once

#include "model/infoedit.h"
#include "model/worktypelist.h"

#include <QMap>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace zk {

class Dialogs;

// The items of an entry's photo information as a form, shared by 写真情報
// (one entry) and 写真情報の一括設定 (many). In the bulk form a blank item
// is left as it is in every entry, 空にする beside an item empties it, and
// the two flags have a third state that leaves them as they are.
class PhotoInfoForm : public QWidget
{
    Q_OBJECT

public:
    enum class Mode { Single, Bulk };

    // choices: the 工種/種別/細別 the combo boxes offer (the master list and
    // the values the album already uses).
    PhotoInfoForm(Mode mode, Dialogs& dialogs, const QList<WorkTypeRow>& choices, QWidget* parent);

    // The form shows info (single form).
    void set_info(const PhotoInfo& info);
    // The photo's own shooting date, shown where the 撮影年月日 item is empty.
    void set_photo_date(const QString& date);
    // What the single form holds; valid only when problem() is empty.
    PhotoInfo info() const;
    // What the bulk form sets; valid only when problem() is empty.
    InfoPatch patch() const;
    // Why the form cannot be taken as it is (a date that does not exist),
    // for the user; empty when it can.
    QString problem() const;

    QComboBox* largeClassBox() const { return largeClass; }
    QComboBox* photoClassBox() const { return photoClass; }
    QComboBox* workTypeBox() const { return workType; }
    QComboBox* kindBox() const { return kind; }
    QComboBox* detailBox() const { return detail; }
    QPlainTextEdit* reservesBox() const { return reserves; }
    QLineEdit* spotBox() const { return spot; }
    QLineEdit* shotDateBox() const { return shotDate; }
    QCheckBox* representativeBox() const { return representative; }
    QCheckBox* frequencyBox() const { return frequency; }
    QPlainTextEdit* controlValueBox() const { return controlValue; }
    QPlainTextEdit* remarkBox() const { return remark; }
    QTableWidget* drawingTable() const { return drawings; }
    // The bulk form's 空にする box of an item; null in the single form.
    QCheckBox* clearBox(InfoItem item) const { return clears.value(item); }

    // Asks for a file and adds it as a drawing; removes the chosen one.
    void add_drawing();
    void remove_drawing();
    // Adds a drawing with its title (the file dialog's result, or a test's).
    void append_drawing(const QString& path, const QString& title);

private:
    QLayout* buildDrawingRow(QPushButton** addButton);
    // One row per item with its label; the bulk form adds 空にする.
    void layOutRows(QLayout* flags, QLayout* drawingRow, QPushButton* addDrawing);
    void largeClassChanged();
    void workTypeChanged();
    void kindChanged();
    // Offers items in box, keeping what the user typed.
    static void offer(QComboBox* box, const QStringList& items);
    QString flagValue(const QCheckBox* box, const QString& before) const;
    QList<ReferenceDrawing> drawingRows() const;

    Mode mode;
    Dialogs& dialogs;
    QList<WorkTypeRow> choices;
    PhotoInfo shown;
    QComboBox* largeClass;
    QComboBox* photoClass;
    QComboBox* workType;
    QComboBox* kind;
    QComboBox* detail;
    QPlainTextEdit* reserves;
    QLineEdit* spot;
    QLineEdit* shotDate;
    QCheckBox* representative;
    QCheckBox* frequency;
    QPlainTextEdit* controlValue;
    QPlainTextEdit* remark;
    QTableWidget* drawings;
    QMap<InfoItem, QCheckBox*> clears;
};

} // namespace zk
