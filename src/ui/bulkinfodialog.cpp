#include "bulkinfodialog.h"

#include "ui/dialogs.h"
#include "ui/photoinfoform.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zk {

BulkInfoDialog::BulkInfoDialog(
    Dialogs& messages, const QList<WorkTypeRow>& choices, int entryCount, QWidget* parent)
    : QDialog(parent), dialogs(messages),
      fields(new PhotoInfoForm(PhotoInfoForm::Mode::Bulk, messages, choices, this))
{
    setObjectName(QStringLiteral("bulkInfoDialog"));
    setWindowTitle(QStringLiteral("写真情報の一括設定"));
    setMinimumWidth(600);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("選択した %1 件の写真に設定します.").arg(entryCount), this));
    layout->addWidget(fields);
    layout->addWidget(buttons);

    // OK checks the form first
    connect(buttons, &QDialogButtonBox::accepted, this, &BulkInfoDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

InfoPatch BulkInfoDialog::patch() const
{
    return fields->patch();
}

void BulkInfoDialog::accept()
{
    QString problem = fields->problem();
    if (problem.isEmpty() && patch().isEmpty())
        problem = QStringLiteral("設定する項目がありません. 値を入力するか「空にする」を選んでください.");
    if (!problem.isEmpty()) {
        dialogs.warn(this, problem);
        return;
    }
    QDialog::accept();
}

} // namespace zk
