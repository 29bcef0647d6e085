#include "deliveryfindingswindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zk {

DeliveryFindingsWindow::DeliveryFindingsWindow(QWidget* parent)
    : QDialog(parent), introLabel(new QLabel(this)), rowList(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("deliveryFindings"));
    resize(720, 400);
    introLabel->setWordWrap(true);

    rowList->setObjectName(QStringLiteral("findingList"));
    rowList->setColumnCount(3);
    rowList->setHeaderLabels({ QStringLiteral("種類"), QStringLiteral("場所"), QStringLiteral("内容") });
    rowList->setRootIsDecorated(false);
    rowList->setUniformRowHeights(true);
    rowList->header()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(introLabel);
    layout->addWidget(rowList, 1);
    layout->addWidget(buttons);

    // Closing and going to an entry
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rowList, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const int entry = item->data(0, Qt::UserRole).toInt();
        if (entry > 0)
            Q_EMIT entryActivated(entry);
    });
}

void DeliveryFindingsWindow::show_rows(const QString& title, const QString& intro, const QList<FindingRow>& rows)
{
    setWindowTitle(title);
    introLabel->setText(intro);
    rowList->clear();
    for (const FindingRow& r : rows) {
        auto* item = new QTreeWidgetItem(rowList);
        item->setText(0, r.kind);
        item->setText(1, r.place);
        item->setText(2, r.message);
        item->setToolTip(2, r.message);
        item->setData(0, Qt::UserRole, r.entry);
    }
    rowList->resizeColumnToContents(0);
    rowList->resizeColumnToContents(1);
    show();
    raise();
    activateWindow();
}

} // namespace zk
