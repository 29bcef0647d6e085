#include "worktypespage.h"

#include "ui/dialogs.h"
#include "docfile/worktypefile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>

#include <algorithm>

namespace zk {

WorkTypesPage::WorkTypesPage(
    Dialogs& messages, const QString& listFile, PhotoRows fromAlbum, QWidget* parent)
    : QWidget(parent), dialogs(messages), file(listFile), photoRows(std::move(fromAlbum)),
      rowTable(new QTableWidget(0, 3, this))
{
    setObjectName(QStringLiteral("workTypesPage"));
    rowTable->setObjectName(QStringLiteral("workTypeTable"));
    rowTable->setHorizontalHeaderLabels(
        { QStringLiteral("工種"), QStringLiteral("種別"), QStringLiteral("細別") });
    rowTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    rowTable->verticalHeader()->setDefaultSectionSize(rowTable->fontMetrics().height() + 6);
    rowTable->setSelectionBehavior(QAbstractItemView::SelectRows);

    const auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button("workTypeAdd", "追加(&A)");
    QPushButton* remove = button("workTypeRemove", "削除(&D)");
    QPushButton* import = button("workTypeImport", "読み込み(&I)...");
    fromPhotos = button("workTypeFromPhotos", "写真から追加(&P)");
    fromPhotos->setToolTip(QStringLiteral("写真帳の写真の小黒板にある工種・種別・細別を加えます."));
    fromPhotos->setEnabled(bool(photoRows));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(rowTable, 0, 0, 5, 1);
    layout->addWidget(add, 0, 1);
    layout->addWidget(remove, 1, 1);
    layout->addWidget(import, 2, 1);
    layout->addWidget(fromPhotos, 3, 1, Qt::AlignTop);

    const WorkTypeRead stored = WorkTypeFile::load(file);
    if (!stored.ok())
        dialogs.warn(parent, stored.message);
    addRows(stored.rows);

    // Buttons
    connect(add, &QPushButton::clicked, this, &WorkTypesPage::add_row);
    connect(remove, &QPushButton::clicked, this, &WorkTypesPage::remove_rows);
    connect(import, &QPushButton::clicked, this, &WorkTypesPage::import_rows);
    connect(fromPhotos, &QPushButton::clicked, this, &WorkTypesPage::add_from_photos);
}

QList<WorkTypeRow> WorkTypesPage::rows() const
{
    QList<WorkTypeRow> out;
    for (int r = 0; r < rowTable->rowCount(); ++r) {
        const auto cell = [this, r](int c) {
            const QTableWidgetItem* item = rowTable->item(r, c);
            return item ? item->text() : QString();
        };
        out.append({ cell(0), cell(1), cell(2) });
    }
    return out;
}

int WorkTypesPage::addRows(const QList<WorkTypeRow>& more)
{
    const QList<WorkTypeRow> have = WorkTypeList::cleaned(rows());
    int added = 0;
    for (const WorkTypeRow& row : WorkTypeList::cleaned(more)) {
        if (have.contains(row))
            continue;
        const int r = rowTable->rowCount();
        rowTable->insertRow(r);
        rowTable->setItem(r, 0, new QTableWidgetItem(row.workType));
        rowTable->setItem(r, 1, new QTableWidgetItem(row.kind));
        rowTable->setItem(r, 2, new QTableWidgetItem(row.detail));
        ++added;
    }
    return added;
}

void WorkTypesPage::add_row()
{
    const int r = rowTable->rowCount();
    rowTable->insertRow(r);
    for (int c = 0; c < 3; ++c)
        rowTable->setItem(r, c, new QTableWidgetItem);
    rowTable->setCurrentCell(r, 0);
    rowTable->editItem(rowTable->item(r, 0));
}

void WorkTypesPage::remove_rows()
{
    QList<int> chosen;
    for (const QModelIndex& index : rowTable->selectionModel()->selectedRows())
        chosen.append(index.row());
    if (chosen.isEmpty() && rowTable->currentRow() >= 0)
        chosen.append(rowTable->currentRow());
    std::sort(chosen.begin(), chosen.end(), std::greater<>());
    for (int r : std::as_const(chosen))
        rowTable->removeRow(r);
}

void WorkTypesPage::import_rows()
{
    FileRequest request;
    request.filter = QStringLiteral("CSV ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*");
    const QString path = dialogs.openFile(this, request);
    if (!path.isEmpty())
        import_from(path);
}

bool WorkTypesPage::import_from(const QString& path)
{
    const WorkTypeRead read = WorkTypeFile::import_file(path);
    if (!read.ok()) {
        dialogs.warn(this, read.message);
        return false;
    }
    addRows(read.rows);
    return true;
}

void WorkTypesPage::add_from_photos()
{
    if (!photoRows)
        return;
    const int added = addRows(photoRows());
    dialogs.inform(this,
        added > 0 ? QStringLiteral("写真から %1 行を加えました.").arg(added)
                  : QStringLiteral("写真から加える工種はありませんでした."));
}

bool WorkTypesPage::apply()
{
    // A user who never kept a list gets no file of one.
    if (WorkTypeList::cleaned(rows()).isEmpty() && !QFileInfo::exists(file))
        return true;
    const QString error = WorkTypeFile::save(rows(), file);
    if (!error.isEmpty()) {
        dialogs.warn(this, error);
        return false;
    }
    return true;
}

} // namespace zk
