#include "rereadcommand.h"

#include "ui/dialogs.h"
#include "model/album.h"
#include "photos/photofacts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMap>
#include <QScopeGuard>

namespace zk {

namespace {

// Enough lines for a message box; the rest is counted.
constexpr int MaxListed = 10;

} // namespace

RereadCommand::RereadCommand(Album& a, Dialogs& d) : album(a), dialogs(d) { }

void RereadCommand::tell(QWidget* parent, const QString& text)
{
    MessageRequest request;
    request.title = Dialogs::programName();
    request.icon = MessageIcon::Information;
    request.text = text;
    dialogs.message(parent, request);
}

bool RereadCommand::run(QWidget* parent, const QList<int>& positions)
{
    QMap<int, EntryContent> changed;
    QStringList unreadable;
    int photos = 0;
    int withoutBoard = 0;
    {
        // Headers only, but hundreds of them may take a moment.
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        for (const int p : positions) {
            if (p < 1 || p > album.entries().entry_count())
                continue;
            EntryContent content = album.content(p);
            if (content.image.isEmpty())
                continue;
            ++photos;
            const PhotoFacts facts = PhotoFacts::read(content.image);
            if (!facts.error.isEmpty()) {
                unreadable << QStringLiteral("No.%1 %2: %3")
                                  .arg(album.entries().entry(p).number.trimmed(), content.image,
                                      facts.error);
                continue;
            }
            if (!facts.hasBoard)
                ++withoutBoard;
            else if (facts.fill(&content))
                changed.insert(p, content);
        }
    }
    if (photos == 0) {
        tell(parent, QStringLiteral("選ばれた枠に写真がありません."));
        return false;
    }
    if (!changed.isEmpty())
        album.set_contents(changed, stepName());

    QStringList lines { changed.isEmpty()
            ? QStringLiteral("空の項目に入れられる小黒板の情報はありませんでした.")
            : QStringLiteral("%1 枚の写真の空いていた項目に、小黒板の情報を入れました.").arg(changed.size()) };
    if (withoutBoard > 0)
        lines << QStringLiteral("小黒板の情報がない写真: %1 枚.").arg(withoutBoard);
    if (!unreadable.isEmpty()) {
        lines << QString() << QStringLiteral("次の写真は読めませんでした.") << unreadable.mid(0, MaxListed);
        if (unreadable.size() > MaxListed)
            lines << QStringLiteral("ほか %1 件.").arg(unreadable.size() - MaxListed);
    }
    tell(parent, message_lines(lines));
    return !changed.isEmpty();
}

} // namespace zk
