#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace zk {

class Album;
class Dialogs;

// 写真情報を写真から読み直す: reads the blackboard data of the chosen
// entries' photos again and fills what is still empty (information items
// and title), in one step; nothing given is overwritten.
class RereadCommand
{
public:
    RereadCommand(Album& album, Dialogs& dialogs);

    // Returns true when an entry changed. The user is told what was done.
    bool run(QWidget* parent, const QList<int>& positions);

    static QString stepName() { return QStringLiteral("写真情報を写真から読み直す"); }

private:
    void tell(QWidget* parent, const QString& text);

    Album& album;
    Dialogs& dialogs;
};

} // namespace zk
