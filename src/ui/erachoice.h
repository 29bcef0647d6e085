#pragma once

#include "model/preferences.h"

#include <QGroupBox>

class QRadioButton;

namespace zk {

class Dialogs;
class UserSettings;

// 元号: the era in which the cover names its years (平成 or 令和). Stored in
// the user's settings by apply(); album files keep only the numbers.
class EraChoice : public QGroupBox
{
    Q_OBJECT

public:
    EraChoice(Dialogs& dialogs, UserSettings& settings, QWidget* parent);

    Era era() const;
    QRadioButton* button(Era era) const { return era == Era::Reiwa ? reiwa : heisei; }

    // Stores the choice; false, after telling the user, when it cannot be written.
    bool apply();

private:
    Dialogs& dialogs;
    UserSettings& settings;
    QRadioButton* heisei;
    QRadioButton* reiwa;
};

} // namespace zk
