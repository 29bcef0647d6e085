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
    QString counts = QStringLiteral("見つかった写真: %1 枚\r\n"
                                    "同じ名前のファイルが複数ある写真: %2 枚\r\n"
                                    "見つからない写真: %3 枚")
                         .arg(result.found.size())
                         .arg(result.ambiguous.size())
                         .arg(result.missing.size());
    if (!result.unusable.isEmpty())
        counts += QStringLiteral("\r\n同じ名前のファイルが読めない写真: %1 枚\r\n%2")
                      .arg(result.unusable.size())
                      .arg(QStringList(result.unusable.values()).join(QStringLiteral("\r\n")));
    if (result.unreadableFolders > 0)
        counts += QStringLiteral("\r\n(読めないフォルダーが %1 個ありました)")
                      .arg(result.unreadableFolders);
    if (result.found.isEmpty()) {
        dialogs.inform(parent, counts + QStringLiteral("\r\n\r\n写真帳は変更していません."));
        return false;
    }

    MessageRequest question;
    question.title = Dialogs::programName();
    question.icon = MessageIcon::Information;
    question.buttons = MessageButtons::YesNo;
    question.defaultButton = Answer::Yes;
    question.text = counts + QStringLiteral("\r\n\r\n見つかった写真の場所を置き換えますか?");
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
