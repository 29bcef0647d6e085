#include "photoshapechoice.h"

#include "ui/dialogs.h"
#include "model/usersettings.h"

namespace zk {

PhotoShapeChoice::PhotoShapeChoice(Dialogs& messages, UserSettings& userSettings, QWidget* parent)
    : QCheckBox(QStringLiteral("写真の縦横比を保つ"), parent), dialogs(messages),
      settings(userSettings)
{
    setObjectName(QStringLiteral("chkKeepPhotoShape"));
    setToolTip(
        QStringLiteral("写真を枠いっぱいに引き伸ばさず、縦横の比率を保ったまま枠の中央に収めます"));
    setChecked(settings.preferences().keepPhotoShape);
}

bool PhotoShapeChoice::apply()
{
    Preferences preferences = settings.preferences();
    preferences.keepPhotoShape = isChecked();
    if (!settings.store(preferences)) {
        dialogs.warn(this,
            message_lines({ settings.file(), {}, QStringLiteral("設定を保存できませんでした.") }));
        return false;
    }
    return true;
}

} // namespace zk
