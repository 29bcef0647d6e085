#include "erachoice.h"

#include "model/usersettings.h"
#include "ui/dialogs.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace zk {

EraChoice::EraChoice(Dialogs& messages, UserSettings& userSettings, QWidget* parent)
    : QGroupBox(QStringLiteral("元号"), parent), dialogs(messages), settings(userSettings),
      heisei(new QRadioButton(QStringLiteral("平成"), this)),
      reiwa(new QRadioButton(QStringLiteral("令和"), this))
{
    setObjectName(QStringLiteral("eraChoice"));
    heisei->setObjectName(QStringLiteral("eraHeisei"));
    reiwa->setObjectName(QStringLiteral("eraReiwa"));
    heisei->setToolTip(QStringLiteral("表紙の年を平成で表します (西暦 − 1988)."));
    reiwa->setToolTip(QStringLiteral("表紙の年を令和で表します (西暦 − 2018)."));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heisei);
    layout->addWidget(reiwa);
    button(settings.preferences().era)->setChecked(true);
}

Era EraChoice::era() const
{
    return reiwa->isChecked() ? Era::Reiwa : Era::Heisei;
}

bool EraChoice::apply()
{
    Preferences preferences = settings.preferences();
    preferences.era = era();
    if (!settings.store(preferences)) {
        dialogs.warn(this,
            message_lines({ settings.file(), {}, QStringLiteral("設定を保存できませんでした.") }));
        return false;
    }
    return true;
}

} // namespace zk
