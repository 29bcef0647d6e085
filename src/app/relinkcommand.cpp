#include "relinkcommand.h"

#include "ui/dialogs.h"
#include "model/album.h"
#include "photos/relinkfinder.h"

#include <QApplication>
#include <QCursor>

namespace zk {

RelinkCommand::RelinkCommand(Album& a, Dialogs& d) : album(a), dialogs(d) { }

bool RelinkCommand::run(QWidget* parent)
{
    const QString folder
        = dialogs.chooseFolder(parent, QStringLiteral("写真のあるフォルダーの選択"));
    if (folder.isEmpty())
        return false;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    const RelinkResult result = RelinkResult::find(album.entries(), folder);
    QApplication::restoreOverrideCursor();

    const qsizetype lost = result.found.size() + result.ambiguous.size() + result.missing.size()
        + result.unusable.size();
    if (lost == 0) {
        dialogs.inform(parent, QStringLiteral("見つからない写真はありません."));
        return false;
    }
    QStringList counts { QStringLiteral("見つかった写真: %1 枚").arg(result.found.size()),
        QStringLiteral("同じ名前のファイルが複数ある写真: %1 枚").arg(result.ambiguous.size()),
        QStringLiteral("見つからない写真: %1 枚").arg(result.missing.size()) };
    if (!result.unusable.isEmpty())
        counts << QStringLiteral("同じ名前のファイルが読めない写真: %1 枚").arg(result.unusable.size())
               << result.unusable.values();
    if (result.unreadableFolders > 0)
        counts << QStringLiteral("(読めないフォルダーが %1 個ありました)").arg(result.unreadableFolders);
    if (result.found.isEmpty()) {
        dialogs.inform(parent, message_lines(counts << QString() << QStringLiteral("写真帳は変更していません.")));
        return false;
    }

    MessageRequest question;
    question.title = Dialogs::programName();
    question.icon = MessageIcon::Information;
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = Answer::Yes;
    question.text = message_lines(counts << QString() << QStringLiteral("見つかった写真の場所を置き換えますか?"));
    if (dialogs.message(parent, question) != Answer::Yes)
        return false;

    QMap<int, EntryContent> contents;
    for (auto it = result.found.cbegin(); it != result.found.cend(); ++it) {
        EntryContent content = album.content(it.key());
        // The moved file is the photo that was placed: its record goes along.
        const auto record = album.document().records.constFind(content.image);
        if (record != album.document().records.constEnd())
            album.record_photo(it.value(), PhotoRecord(*record));
        content.image = it.value();
        contents.insert(it.key(), content);
    }
    return album.set_contents(contents, stepName());
}

} // namespace zk
