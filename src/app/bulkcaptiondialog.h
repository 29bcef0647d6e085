#pragma once

#include "model/captionfill.h"

#include <QDialog>
#include <QList>

class QLabel;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace zk {

class Dialogs;
class EntryTable;

// 一括入力: one title and/or one text for many entries, with a number that
// counts up from entry to entry. The entries are either given (a selection
// of the album overview) or chosen here as a range of numbers.
class BulkCaptionDialog : public QDialog
{
    Q_OBJECT

public:
    // positions: the entries to fill; empty to let the user give a range,
    // which starts as firstPosition..lastPosition.
    BulkCaptionDialog(Dialogs& dialogs, const EntryTable& entries, const QList<int>& positions,
        int firstPosition, int lastPosition, QWidget* parent);

    QLineEdit* titleBox() const { return title; }
    QPlainTextEdit* textBox() const { return text; }
    QSpinBox* startBox() const { return start; }
    QSpinBox* fromBox() const { return from; }
    QSpinBox* toBox() const { return to; }

    // What the dialog sets, and where.
    BulkCaption caption() const;
    QList<int> positions() const;

    // OK: refuses an empty form and titles longer than a title may be typed.
    void accept() override;

private:
    void addTargetRow(QFormLayout* form, int firstPosition, int lastPosition);
    void addNumberingRow(QFormLayout* form);
    void updatePreview();

    Dialogs& dialogs;
    const EntryTable& entries;
    QList<int> given;
    QLineEdit* title;
    QPlainTextEdit* text;
    QSpinBox* start;
    QSpinBox* step;
    QSpinBox* from = nullptr;
    QSpinBox* to = nullptr;
    QLabel* preview;
};

} // namespace zk
