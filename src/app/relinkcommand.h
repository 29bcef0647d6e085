#pragma once

#include <QString>

class QWidget;

namespace zk {

class Album;
class Dialogs;

// 写真フォルダの再設定: finds the album's missing photos in a folder the user
// chooses and, once the user has seen how many were found, puts their new
// paths into the album in one step.
class RelinkCommand
{
public:
    RelinkCommand(Album& album, Dialogs& dialogs);

    // Returns true when paths were replaced.
    bool run(QWidget* parent);

    static QString stepName() { return QStringLiteral("写真フォルダの再設定"); }

private:
    Album& album;
    Dialogs& dialogs;
};

} // namespace zk
