#include "precheck.h"

#include "check/albumcheck.h"
#include "ui/checkresultwindow.h"

#include "ui/dialogs.h"
#include "model/album.h"
#include "model/usersettings.h"

namespace zk {

PreCheck::PreCheck(const Album& album, const UserSettings& settings, Dialogs& dialogs,
    QWidget* window, QObject* parent)
    : QObject(parent), album(album), settings(settings), dialogs(dialogs), window(window)
{
}

// The check reads a copy taken as it starts (it shares the album's data until
// the album changes), so nothing done meanwhile in another window reaches it.
bool PreCheck::confirm(int first, int last)
{
    const Document snapshot = album.document();
    // The cover's years count in the era the user chose, as the print does.
    return review(AlbumCheck::run(snapshot, probe, first, last, settings.preferences().era));
}

bool PreCheck::confirm_page(int page)
{
    const Document snapshot = album.document();
    return review(AlbumCheck::run_single_page(snapshot, probe, page, settings.preferences().era));
}

bool PreCheck::review(const QList<CheckProblem>& problems)
{
    if (problems.isEmpty())
        return true;
    const CheckAnswer answer = dialogs.reviewProblems(window, problems);
    if (answer.entry > 0)
        Q_EMIT entryChosen(answer.entry);
    return answer.printAnyway;
}

void PreCheck::check_album()
{
    const Document snapshot = album.document();
    const QList<CheckProblem> problems = AlbumCheck::run(snapshot, probe, 1, 0, settings.preferences().era);
    if (problems.isEmpty()) {
        delete results;
        dialogs.inform(window, QStringLiteral("写真帳に問題は見つかりませんでした."));
        return;
    }
    if (!results) {
        results = new CheckResultWindow(CheckResultWindow::Mode::Review, window);
        results->setAttribute(Qt::WA_DeleteOnClose);
        connect(results, &CheckResultWindow::entryActivated, this, &PreCheck::entryChosen);
    }
    results->setProblems(problems);
    results->show();
    results->raise();
    results->activateWindow();
}

} // namespace zk
