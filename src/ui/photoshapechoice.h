#pragma once

#include <QCheckBox>

namespace zk {

class Dialogs;
class UserSettings;

// 写真の縦横比を保つ: photos fit their frames with their own proportions on
// screen and on paper instead of being stretched. Stored in the user's
// settings by apply().
class PhotoShapeChoice : public QCheckBox
{
    Q_OBJECT

public:
    PhotoShapeChoice(Dialogs& dialogs, UserSettings& settings, QWidget* parent);

    // Stores the choice; false, after telling the user, when it cannot be written.
    bool apply();

private:
    Dialogs& dialogs;
    UserSettings& settings;
};

} // namespace zk
