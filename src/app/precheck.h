#pragma once

#include "check/albumcheck.h"
#include "photos/photoprobe.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace zk {

class Album;
class CheckResultWindow;
class Dialogs;
class UserSettings;

// The album check from the window: before a print, and as its own command.
class PreCheck : public QObject
{
    Q_OBJECT

public:
    // Questions and the result window appear over window.
    PreCheck(const Album& album, const UserSettings& settings, Dialogs& dialogs, QWidget* window,
        QObject* parent);

    // Checks pages first..last (0: to the end) before they are printed. A clean
    // album goes on at once; otherwise the user sees the problems and may print
    // anyway (true) or stop, perhaps to go to an entry (false).
    bool confirm(int first, int last);
    // The same for the page on screen as 単一印刷 prints it.
    bool confirm_page(int page);

    // The 写真帳のチェック command: the problems of the whole album in a
    // window that stays open beside the main window.
    void check_album();

Q_SIGNALS:
    // The user asked to see entry (from 1) in the main window.
    void entryChosen(int entry);

private:
    bool review(const QList<CheckProblem>& problems);

    const Album& album;
    const UserSettings& settings;
    Dialogs& dialogs;
    QWidget* window;
    QPointer<CheckResultWindow> results;
    // Verdicts on photos, so that checking an unchanged album again is quick.
    PhotoProbe probe;
};

} // namespace zk
