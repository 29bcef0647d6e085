#include "precheck.h"

#include "check/albumcheck.h"
#include "ui/checkresultwindow.h"

#include "app/dialogs.h"
#include "model/album.h"

namespace zk {

PreCheck::PreCheck(const Album& album, Dialogs& dialogs, QWidget* window, QObject* parent)
    : QObject(parent), album(album), dialogs(dialogs), window(window)
{
}

bool PreCheck::confirm(int first, int last)
{
    return review(AlbumCheck::run(album.document(), probe, first, last));
}

bool PreCheck::confirm_page(int page)
{
    return review(AlbumCheck::run_single_page(album.document(), probe, page));
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
    const QList<CheckProblem> problems = AlbumCheck::run(album.document(), probe);
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
