#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QTreeWidget;

namespace zk {

// One line of the window: what kind, where, what, and the album entry it
// leads to (0 for none).
struct FindingRow
{
    QString kind; // エラー, 注意, 問題
    QString place; // "No.3", "PIC/P0000003.JPG"
    QString message;
    int entry = 0;
};

// What the delivery export refused or warned about, or what the delivery
// check found, one row each. Double-clicking a row that belongs to an entry
// of the album goes to that entry; the window stays open for the next one.
class DeliveryFindingsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit DeliveryFindingsWindow(QWidget* parent);

    void show_rows(const QString& title, const QString& intro, const QList<FindingRow>& rows);
    QTreeWidget* list() const { return rowList; }

Q_SIGNALS:
    void entryActivated(int entry);

private:
    QLabel* introLabel;
    QTreeWidget* rowList;
};

} // namespace zk
