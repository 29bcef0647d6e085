#include "photoinfodialog.h"

#include "ui/dialogs.h"
#include "ui/photoinfoform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zk {

PhotoInfoDialog::PhotoInfoDialog(
    Dialogs& messages, const QList<WorkTypeRow>& choices, QWidget* parent)
    : QDialog(parent), dialogs(messages), heading(new QLabel(this)), photo(new QLabel(this)),
      fields(new PhotoInfoForm(PhotoInfoForm::Mode::Single, messages, choices, this)),
      exif(new QLabel(this)), tamper(new QLabel(this)), changed(new QLabel(this))
{
    setObjectName(QStringLiteral("photoInfoDialog"));
    setWindowTitle(QStringLiteral("写真情報"));
    setMinimumWidth(560);
    heading->setObjectName(QStringLiteral("infoHeading"));
    photo->setObjectName(QStringLiteral("infoPhoto"));
    photo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    photo->setWordWrap(true);
    exif->setObjectName(QStringLiteral("infoExif"));
    tamper->setObjectName(QStringLiteral("infoTamper"));
    changed->setObjectName(QStringLiteral("infoChanged"));
    changed->setWordWrap(true);

    auto* facts = new QGroupBox(QStringLiteral("写真ファイル"), this);
    auto* factRows = new QFormLayout(facts);
    factRows->addRow(QStringLiteral("ファイル:"), photo);
    factRows->addRow(QStringLiteral("撮影日時 (EXIF):"), exif);
    factRows->addRow(QStringLiteral("改ざん検知データ:"), tamper);
    factRows->addRow(QStringLiteral("配置後の変更:"), changed);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(fields);
    layout->addWidget(facts);
    layout->addWidget(buttons);

    // OK checks the form first; キャンセル leaves the entry alone
    connect(buttons, &QDialogButtonBox::accepted, this, &PhotoInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PhotoInfoDialog::set_entry(
    int position, const QString& title, const PhotoInfo& info, const QString& image)
{
    entry = position;
    hasPhoto = !image.isEmpty();
    heading->setText(title);
    photo->setText(image.isEmpty() ? QStringLiteral("(写真がありません)") : image);
    fields->set_info(info);
    if (image.isEmpty())
        set_facts({});
}

void PhotoInfoDialog::set_facts(const PhotoFileFacts& facts)
{
    const bool none = !hasPhoto;
    const QString absent = QStringLiteral("—");
    if (!facts.error.isEmpty()) {
        exif->setText(facts.error);
        tamper->setText(absent);
    } else {
        exif->setText(none ? absent
                           : facts.exifTime.isEmpty() ? QStringLiteral("記録されていません")
                                                      : facts.exifTime);
        tamper->setText(none ? absent
                             : facts.tamperData ? QStringLiteral("あり")
                                                : QStringLiteral("なし"));
    }
    fields->set_photo_date(facts.exifTime.left(10));
    set_change(none ? PhotoCheck { PhotoCheck::State::Unreadable, absent } : facts.change);
}

void PhotoInfoDialog::set_change(const PhotoCheck& change)
{
    switch (change.state) {
    case PhotoCheck::State::NotRecorded:
        changed->setText(QStringLiteral("配置時の記録がありません"));
        break;
    case PhotoCheck::State::Unchanged:
        changed->setText(QStringLiteral("変更されていません"));
        break;
    case PhotoCheck::State::Changed:
        changed->setText(QStringLiteral("配置後に変更されています (%1)").arg(change.detail));
        break;
    case PhotoCheck::State::Unreadable:
        changed->setText(change.detail);
        break;
    }
}

void PhotoInfoDialog::accept()
{
    const QString problem = fields->problem();
    if (!problem.isEmpty()) {
        dialogs.warn(this, problem);
        return;
    }
    QDialog::accept();
}

} // namespace zk
