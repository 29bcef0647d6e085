#pragma once

#include "check/albumcheck.h"

#include <QDialog>

class QTreeWidget;

namespace zk {

// The problems the album check found, one row each: entry number and what is
// wrong. Double-clicking a row goes to the entry. Before a print the window
// asks whether to print anyway; as its own command it only lists.
class CheckResultWindow : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { BeforePrint, Review };

    CheckResultWindow(Mode mode, QWidget* parent);

    void setProblems(const QList<CheckProblem>& problems);
    QTreeWidget* list() const { return rows; }
    // The entry double-clicked before the window closed (BeforePrint), or 0.
    int chosenEntry() const { return chosen; }

Q_SIGNALS:
    void entryActivated(int entry);

private:
    void activate(int entry);

    Mode mode;
    QTreeWidget* rows;
    int chosen = 0;
};

} // namespace zk
