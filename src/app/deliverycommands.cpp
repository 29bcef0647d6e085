#include "deliverycommands.h"

#include "ui/dialogs.h"
#include "delivery/deliverydtd.h"
#include "delivery/deliveryexport.h"
#include "delivery/deliveryplan.h"
#include "model/album.h"
#include "model/usersettings.h"
#include "ui/deliverydialog.h"
#include "ui/deliveryfindingswindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QThread>

#include <atomic>
#include <memory>

namespace zk {

namespace {

const QString exportTitle = QStringLiteral("電子納品データの作成");
const QString checkTitle = QStringLiteral("電子納品データのチェック");

QList<FindingRow> rowsOf(const QList<DeliveryProblem>& problems, const QString& kind)
{
    QList<FindingRow> rows;
    for (const DeliveryProblem& p : problems)
        rows.append({ kind, p.entry > 0 ? QStringLiteral("No.%1").arg(p.entry) : QString(), p.message, p.entry });
    return rows;
}

} // namespace

DeliveryCommands::DeliveryCommands(
    const Album& a, UserSettings& s, Dialogs& d, QWidget* w, QObject* parent)
    : QObject(parent), album(a), settings(s), dialogs(d), window(w)
{
}

void DeliveryCommands::export_delivery()
{
    const Preferences& preferences = settings.preferences();
    DeliveryDialog dialog(
        [this] { return dialogs.chooseFolder(window, QStringLiteral("電子納品データの出力先の選択")); }, window);
    dialog.setFolder(!preferences.deliveryFolder.isEmpty() ? preferences.deliveryFolder
            : album.filePath().isEmpty()                  ? QDir::homePath()
                                                          : QFileInfo(album.filePath()).absolutePath());
    dialog.setStandard(preferences.deliveryStandard);
    if (dialog.exec() != QDialog::Accepted)
        return;
    run_export(dialog.folder(), dialog.standard());
}

bool DeliveryCommands::run_export(const QString& outDir, const QString& standard)
{
    // Offered again next time, also when the export fails.
    Preferences preferences = settings.preferences();
    preferences.deliveryStandard = standard;
    preferences.deliveryFolder = outDir;
    settings.store(preferences);

    DeliveryOptions options;
    options.standard = standard;
    DeliveryPlan::cover_period(album.cover(), preferences.era, &options.periodStart, &options.periodEnd);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DeliveryPlanResult plan = DeliveryPlan::make(DeliveryPlan::sources(album.document()), options);
    QApplication::restoreOverrideCursor();
    const QString target = DeliveryExport::target_problem(outDir);
    if (!target.isEmpty())
        plan.problems.append({ 0, target });
    if (!plan.ok()) {
        ensure_findings_window()->show_rows(exportTitle,
            QStringLiteral("次の問題があるため、電子納品データを作成しませんでした (何も書き込んでいません). "
                           "行をダブルクリックすると、その写真に移ります."),
            rowsOf(plan.problems, QStringLiteral("問題")) + rowsOf(plan.warnings, QStringLiteral("注意")));
        return false;
    }

    const DeliveryExport::Result result = write_with_progress(plan.data, outDir);
    if (result.cancelled) {
        tell(QStringLiteral("電子納品データの作成を中止しました. PHOTO フォルダーは作っていません."), false);
        return false;
    }
    if (!result.ok()) {
        tell(message_lines({ QStringLiteral("電子納品データを作成できませんでした. PHOTO フォルダーは作っていません."), {},
                 result.error }),
            true);
        return false;
    }
    const QString written = QDir::toNativeSeparators(result.folder);
    if (plan.warnings.isEmpty()) {
        tell(message_lines({ QStringLiteral("電子納品データを作成しました."),
                 QStringLiteral("%1 (写真 %2 枚)").arg(written).arg(plan.data.photos.size()) }),
            false);
    } else {
        ensure_findings_window()->show_rows(exportTitle,
            QStringLiteral("電子納品データを %1 に作成しました (写真 %2 枚). 次の点を確かめてください. "
                           "行をダブルクリックすると、その写真に移ります.")
                .arg(written)
                .arg(plan.data.photos.size()),
            rowsOf(plan.warnings, QStringLiteral("注意")));
    }
    return true;
}

DeliveryExport::Result DeliveryCommands::write_with_progress(const DeliveryData& data, const QString& outDir)
{
    std::atomic<qint64> done { 0 };
    std::atomic<qint64> total { 1 };
    std::atomic<bool> stop { false };
    DeliveryExport::Result result;
    const QString dtd = DeliveryDtd::installed();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        result = DeliveryExport::run(data, outDir, dtd, [&](qint64 d, qint64 t) {
            done = d;
            total = qMax<qint64>(t, 1);
            return !stop.load();
        });
    }));
    QProgressDialog progress(QStringLiteral("写真を書き込んでいます..."), QStringLiteral("中止"), 0, 1000, window);
    progress.setObjectName(QStringLiteral("deliveryProgress"));
    progress.setWindowTitle(exportTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    connect(&progress, &QProgressDialog::canceled, &progress, [&stop] { stop = true; });
    worker->start();
    while (!worker->wait(QDeadlineTimer(30))) {
        // Until the progress window shows, the user's input waits.
        QApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        if (!progress.wasCanceled())
            progress.setValue(int(done * 1000 / total));
    }
    progress.close();
    return result;
}

void DeliveryCommands::check_delivery()
{
    const QString folder = dialogs.chooseFolder(window, QStringLiteral("チェックする PHOTO フォルダーの選択"));
    if (!folder.isEmpty())
        run_check(folder);
}

void DeliveryCommands::run_check(const QString& folder)
{
    DeliveryCheckOptions options;
    DeliveryPlan::cover_period(album.cover(), settings.preferences().era, &options.periodStart, &options.periodEnd);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QList<DeliveryFinding> found = DeliveryCheck::run(folder, options);
    QApplication::restoreOverrideCursor();
    if (found.isEmpty()) {
        tell(QStringLiteral("%1 に問題は見つかりませんでした.").arg(QDir::toNativeSeparators(folder)), false);
        return;
    }
    QList<FindingRow> rows;
    int errors = 0;
    for (const DeliveryFinding& f : found) {
        errors += f.error ? 1 : 0;
        rows.append({ f.error ? QStringLiteral("エラー") : QStringLiteral("注意"), f.file, f.message, entry_of(f) });
    }
    ensure_findings_window()->show_rows(checkTitle,
        QStringLiteral("%1: エラー %2 件、注意 %3 件. この写真帳の写真の行をダブルクリックすると、その写真に移ります.")
            .arg(QDir::toNativeSeparators(folder))
            .arg(errors)
            .arg(found.size() - errors),
        rows);
}

int DeliveryCommands::entry_of(const DeliveryFinding& finding) const
{
    if (finding.japaneseName.isEmpty() || finding.path.isEmpty())
        return 0;
    const qint64 size = QFileInfo(finding.path).size();
    const EntryTable& entries = album.entries();
    for (int i = 1; i <= entries.entry_count(); ++i) {
        const QFileInfo photo(entries.entry(i).image);
        if (!entries.entry(i).image.isEmpty() && photo.fileName() == finding.japaneseName && photo.size() == size)
            return i;
    }
    return 0;
}

DeliveryFindingsWindow* DeliveryCommands::ensure_findings_window()
{
    if (!findings) {
        findings = new DeliveryFindingsWindow(window);
        connect(findings, &DeliveryFindingsWindow::entryActivated, this, &DeliveryCommands::entryChosen);
    }
    return findings;
}

void DeliveryCommands::tell(const QString& text, bool failure)
{
    MessageRequest request;
    request.title = Dialogs::programName();
    request.icon = failure ? MessageIcon::Warning : MessageIcon::Information;
    request.text = text;
    dialogs.message(window, request);
}

} // namespace zk
