#include "photoshapechoice.h"

#include "ui/dialogs.h"
#include "model/preferences.h"

namespace zk {

PhotoShapeChoice::PhotoShapeChoice(
    Dialogs& messages, const QString& preferencesFile, QWidget* parent)
    : QCheckBox(QStringLiteral("写真の縦横比を保つ"), parent), dialogs(messages),
      file(preferencesFile)
{
    setObjectName(QStringLiteral("chkKeepPhotoShape"));
    setToolTip(
        QStringLiteral("写真を枠いっぱいに引き伸ばさず、縦横の比率を保ったまま枠の中央に収めます"));
    setChecked(Preferences::load(file).keepPhotoShape);
}

bool PhotoShapeChoice::apply()
{
    // The other settings in the file stay as they are.
    Preferences preferences = Preferences::load(file);
    preferences.keepPhotoShape = isChecked();
    if (!preferences.save(file)) {
        dialogs.warn(this, file + QStringLiteral("\n\n設定を保存できませんでした."));
        return false;
    }
    return true;
}

} // namespace zk
