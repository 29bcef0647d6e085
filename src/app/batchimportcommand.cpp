#include "batchimportcommand.h"

#include "ui/dialogs.h"
#include "model/album.h"
#include "ui/batchimportdialog.h"
#include "app/photocommands.h"
#include "photos/photofile.h"

namespace zk {

namespace {

// Enough lines for a message box; the rest is counted.
constexpr int MaxListedFiles = 20;

QString listing(const QStringList& lines)
{
    QStringList shown = lines.mid(0, MaxListedFiles);
    if (lines.size() > MaxListedFiles)
        shown << QStringLiteral("ほか %1 件.").arg(lines.size() - MaxListedFiles);
    return message_lines(shown);
}

} // namespace

BatchImportCommand::BatchImportCommand(Album& a, Dialogs& d, PhotoLoader& l)
    : album(a), dialogs(d), loader(l)
{
}

bool BatchImportCommand::run(QWidget* parent, int start, const QStringList& files)
{
    QStringList paths = files;
    if (paths.isEmpty()) {
        paths = dialogs.openFiles(parent, BatchImportDialog::photo_request(lastFolder));
        if (paths.isEmpty())
            return false;
    }

    BatchImportDialog dialog(album.entries(), start, dialogs, loader, parent);
    const bool added = dialog.add_files(paths);
    // The next import opens where this one found its photos.
    lastFolder = dialog.last_folder();
    if (!added)
        return false;
    for (;;) {
        const int answer = dialog.exec();
        lastFolder = dialog.last_folder();
        if (answer != QDialog::Accepted)
            return false;
        const QStringList repeated = dialog.repeatedFiles();
        if (repeated.isEmpty())
            break;
        MessageRequest question;
        question.title = Dialogs::programName();
        question.icon = MessageIcon::Information;
        question.buttons = MessageButtons::YesNo;
        question.defaultButton = Answer::No;
        question.text = message_lines({ QStringLiteral("同じファイルが重ねて選ばれています."), {},
            listing(repeated), {}, QStringLiteral("同じ写真を重ねて配置しますか?"),
            QStringLiteral("(いいえ: 一枚ずつだけ配置します)") });
        if (dialogs.message(parent, question) == Answer::Yes)
            break;
        dialog.drop_repeats();
        // The list changed: the user looks at it again before placing.
    }

    // Files can vanish or change between the choice and OK.
    QStringList leftOut = dialog.leftOut();
    ImportPlan plan = dialog.plan();
    QStringList stillThere;
    for (const QString& photo : std::as_const(plan.photos)) {
        const PhotoFile file(photo);
        if (file.error().isEmpty())
            stillThere << photo;
        else
            leftOut << photo + QStringLiteral(": ") + file.error();
    }
    if (stillThere.size() != plan.photos.size()) {
        ImportPlan kept = ImportPlan::make(album.entries(), plan.start, plan.placement, stillThere);
        kept.facts = plan.facts;
        kept.boardText = plan.boardText;
        plan = kept;
    }

    if (!plan.apply(album, stepName())) {
        dialogs.warn(parent,
            QStringLiteral("写真帳の大きさの上限 (%1 件) を超えるため、取り込めませんでした.")
                .arg(EntryTable::MaxEntries));
        return false;
    }
    if (!leftOut.isEmpty())
        dialogs.warn(parent,
            message_lines({ QStringLiteral("次のファイルは取り込めませんでした (ほかの %1 枚は配置しました).")
                                .arg(plan.photos.size()),
                {}, listing(leftOut) }));
    return !plan.photos.isEmpty();
}

} // namespace zk
