#include "checkresultwindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zk {

CheckResultWindow::CheckResultWindow(Mode windowMode, QWidget* parent)
    : QDialog(parent), mode(windowMode), rows(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("checkResult"));
    setWindowTitle(QStringLiteral("写真帳のチェック"));
    resize(640, 360);

    auto* intro = new QLabel(mode == Mode::BeforePrint
            ? QStringLiteral("印刷の前に次の点が見つかりました. 行をダブルクリックすると、その写真に移ります.")
            : QStringLiteral("次の点が見つかりました. 行をダブルクリックすると、その写真に移ります."),
        this);
    intro->setWordWrap(true);

    rows->setObjectName(QStringLiteral("problemList"));
    rows->setColumnCount(2);
    rows->setHeaderLabels({ QStringLiteral("No."), QStringLiteral("内容") });
    rows->setRootIsDecorated(false);
    rows->setUniformRowHeights(true);
    rows->header()->setStretchLastSection(true);

    auto* buttons = new QDialogButtonBox(this);
    if (mode == Mode::BeforePrint) {
        QPushButton* print
            = buttons->addButton(QStringLiteral("このまま印刷"), QDialogButtonBox::AcceptRole);
        print->setObjectName(QStringLiteral("printAnyway"));
        buttons->addButton(QStringLiteral("印刷しない"), QDialogButtonBox::RejectRole)
            ->setDefault(true);
    } else {
        buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(rows, 1);
    layout->addWidget(buttons);

    // Buttons and rows
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(rows, &QTreeWidget::itemActivated, this,
        [this](QTreeWidgetItem* item) { activate(item->data(0, Qt::UserRole).toInt()); });
}

void CheckResultWindow::setProblems(const QList<CheckProblem>& problems)
{
    rows->clear();
    for (const CheckProblem& p : problems) {
        auto* item = new QTreeWidgetItem(rows);
        item->setText(0, p.entry == 0 ? QStringLiteral("表紙") : QString::number(p.entry));
        item->setText(1, p.message);
        item->setToolTip(1, p.message);
        item->setData(0, Qt::UserRole, p.entry);
    }
    rows->resizeColumnToContents(0);
}

void CheckResultWindow::activate(int entry)
{
    if (entry <= 0)
        return;
    Q_EMIT entryActivated(entry);
    // Before a print, going to an entry means fixing it first: no print.
    if (mode == Mode::BeforePrint) {
        chosen = entry;
        reject();
    }
}

} // namespace zk
