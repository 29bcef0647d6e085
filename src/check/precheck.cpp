#include "precheck.h"

#include "check/albumcheck.h"
#include "check/checkresultwindow.h"

#include "app/dialogs.h"
#include "app/mainwindow.h"
#include "app/pagespinner.h"
#include "app/slotview.h"
#include "app/titleedit.h"

namespace zk {

PreCheck::PreCheck(MainWindow& mainWindow) : QObject(&mainWindow), window(mainWindow) { }

bool PreCheck::confirm(int first, int last)
{
    return review(AlbumCheck::run(window.document(), first, last));
}

bool PreCheck::confirm_page(int page)
{
    return review(AlbumCheck::run_single_page(window.document(), page));
}

bool PreCheck::review(const QList<CheckProblem>& problems)
{
    if (problems.isEmpty())
        return true;
    const CheckAnswer answer = window.dialogs().reviewProblems(&window, problems);
    if (answer.entry > 0)
        go_to_entry(window, answer.entry);
    return answer.printAnyway;
}

void PreCheck::check_album()
{
    const QList<CheckProblem> problems = AlbumCheck::run(window.document());
    if (problems.isEmpty()) {
        delete results;
        window.dialogs().inform(&window, QStringLiteral("写真帳に問題は見つかりませんでした."));
        return;
    }
    if (!results) {
        results = new CheckResultWindow(CheckResultWindow::Mode::Review, &window);
        results->setAttribute(Qt::WA_DeleteOnClose);
        connect(results, &CheckResultWindow::entryActivated, this,
            [this](int entry) { go_to_entry(window, entry); });
    }
    results->setProblems(problems);
    results->show();
    results->raise();
    results->activateWindow();
}

void PreCheck::go_to_entry(MainWindow& window, int entry)
{
    if (entry < 1 || entry > window.entries().entry_count())
        return;
    const int page = (entry - 1) / 3 + 1;
    if (window.current_page() != page)
        window.pageControl()->setValue(page);
    const int k = (entry - 1) % 3;
    window.select_slot(k);
    window.slot(k).titleBox()->setFocus();
}

} // namespace zk
