#include "deliverydialog.h"

#include "delivery/deliveryrules.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zk {

DeliveryDialog::DeliveryDialog(std::function<QString()> chooseFolder, QWidget* parent)
    : QDialog(parent), chooser(std::move(chooseFolder)), folderBox(new QLineEdit(this)),
      standardBox(new QComboBox(this))
{
    setObjectName(QStringLiteral("deliveryDialog"));
    setWindowTitle(QStringLiteral("電子納品データの作成"));

    auto* intro = new QLabel(QStringLiteral("出力先フォルダーの中に PHOTO フォルダーを作り、写真と PHOTO.XML "
                                            "を書き込みます. 写真は元のファイルのまま写します."),
        this);
    intro->setWordWrap(true);

    folderBox->setObjectName(QStringLiteral("deliveryFolder"));
    folderBox->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("参照(&B)..."), this);
    browse->setObjectName(QStringLiteral("deliveryBrowse"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folderBox, 1);
    folderRow->addWidget(browse);

    standardBox->setObjectName(QStringLiteral("deliveryStandard"));
    standardBox->setEditable(true);
    // The editions found so far; another code can be typed.
    standardBox->addItems({ DeliveryRules::default_standard(), QStringLiteral("土木201603-01") });

    auto* form = new QFormLayout;
    auto* folderLabel = new QLabel(QStringLiteral("出力先(&O):"), this);
    folderLabel->setBuddy(folderBox);
    auto* standardLabel = new QLabel(QStringLiteral("適用要領基準(&S):"), this);
    standardLabel->setBuddy(standardBox);
    form->addRow(folderLabel, folderRow);
    form->addRow(standardLabel, standardBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("作成"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // Folder, standard and the buttons
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = chooser();
        if (!chosen.isEmpty())
            setFolder(chosen);
    });
    connect(folderBox, &QLineEdit::textChanged, this, &DeliveryDialog::update_ok);
    connect(standardBox, &QComboBox::currentTextChanged, this, &DeliveryDialog::update_ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    update_ok();
}

void DeliveryDialog::setFolder(const QString& folder)
{
    folderBox->setText(QDir::toNativeSeparators(folder));
}

QString DeliveryDialog::folder() const
{
    return QDir::fromNativeSeparators(folderBox->text().trimmed());
}

void DeliveryDialog::setStandard(const QString& standard)
{
    standardBox->setCurrentText(standard);
}

QString DeliveryDialog::standard() const
{
    return standardBox->currentText().trimmed();
}

void DeliveryDialog::update_ok()
{
    ok->setEnabled(!folder().isEmpty() && !standard().isEmpty());
}

} // namespace zk
