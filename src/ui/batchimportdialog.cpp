#include "batchimportdialog.h"

#include "ui/dialogs.h"
#include "model/entrytable.h"
#include "photos/photoloader.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace zk {

namespace {

const QSize thumbnailSize(64, 48);
// Where a row keeps its place in the order shown, to follow a drag.
constexpr int ShownIndexRole = Qt::UserRole + 1;

QString timeText(const ImportCandidate& c)
{
    if (!c.time.isValid())
        return {};
    const QString when = c.time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return c.timeSource == TimeSource::Exif ? when + QStringLiteral(" (撮影)")
                                            : when + QStringLiteral(" (ファイル)");
}

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

BatchImportDialog::BatchImportDialog(const EntryTable& table, int start, Dialogs& messages,
    PhotoLoader& photoLoader, QWidget* parent)
    : QDialog(parent), entries(table), dialogs(messages), loader(photoLoader)
{
    setObjectName(QStringLiteral("batchImportDialog"));
    setWindowTitle(QStringLiteral("写真の一括取込"));
    buildDialog();
    startBox->setRange(1, entries.entry_count() + 1);
    startBox->setValue(qBound(1, start, entries.entry_count() + 1));

    // Every choice shows its effect at once
    connect(orderGroup, &QButtonGroup::idClicked, this, [this] { set_order(order()); });
    connect(placementGroup, &QButtonGroup::idClicked, this, &BatchImportDialog::refresh);
    connect(startBox, &QSpinBox::valueChanged, this, &BatchImportDialog::refresh);
    connect(upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(removeButton, &QPushButton::clicked, this, &BatchImportDialog::removeSelected);
    // A drop rearranges the list's rows; the order is read back once it is done.
    connect(list->model(), &QAbstractItemModel::rowsInserted, this, [this] {
        if (!rebuilding)
            QTimer::singleShot(0, this, &BatchImportDialog::takeDraggedOrder);
    });
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
        &BatchImportDialog::showVisibleThumbnails);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    refresh();
}

void BatchImportDialog::buildDialog()
{
    QGroupBox* orderBox = buildOrderBox();
    QGroupBox* placeBox = buildPlaceBox();
    boardTextBox = new QCheckBox(
        QStringLiteral("説明文が空なら小黒板の内容 (工種・撮影箇所・測定値) を入れる(&K)"), this);
    boardTextBox->setObjectName(QStringLiteral("boardText"));

    QLayout* middle = buildPhotoList();

    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("countLabel"));
    limitLabel = new QLabel(this);
    limitLabel->setObjectName(QStringLiteral("limitLabel"));
    limitLabel->setWordWrap(true);
    limitLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("取り込む"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(orderBox);
    layout->addWidget(placeBox);
    layout->addWidget(boardTextBox);
    layout->addLayout(middle, 1);
    layout->addWidget(countLabel);
    layout->addWidget(limitLabel);
    layout->addWidget(buttons);
}

QGroupBox* BatchImportDialog::buildOrderBox()
{
    auto* orderBox = new QGroupBox(QStringLiteral("並べ方"), this);
    auto* orderLayout = new QHBoxLayout(orderBox);
    orderGroup = new QButtonGroup(this);
    const std::pair<ImportOrder, const char*> orders[]
        = { { ImportOrder::Name, "ファイル名順" }, { ImportOrder::Time, "撮影日時順" },
              { ImportOrder::Given, "表示の順 (ドラッグか上へ・下へで並べ替え)" } };
    for (const auto& [o, caption] : orders) {
        auto* button = new QRadioButton(QString::fromUtf8(caption), orderBox);
        button->setObjectName(o == ImportOrder::Name ? QStringLiteral("orderName")
                : o == ImportOrder::Time             ? QStringLiteral("orderTime")
                                                     : QStringLiteral("orderGiven"));
        orderGroup->addButton(button, int(o));
        orderLayout->addWidget(button);
    }
    orderGroup->button(int(ImportOrder::Name))->setChecked(true);
    return orderBox;
}

QGroupBox* BatchImportDialog::buildPlaceBox()
{
    auto* placeBox = new QGroupBox(QStringLiteral("入れる場所"), this);
    auto* placeLayout = new QHBoxLayout(placeBox);
    placeLayout->addWidget(new QLabel(QStringLiteral("No."), placeBox));
    startBox = new QSpinBox(placeBox);
    startBox->setObjectName(QStringLiteral("startPosition"));
    placeLayout->addWidget(startBox);
    placeLayout->addWidget(new QLabel(QStringLiteral("から"), placeBox));
    placementGroup = new QButtonGroup(this);
    auto* insert = new QRadioButton(QStringLiteral("挿入する (後ろの写真は送られます)"), placeBox);
    insert->setObjectName(QStringLiteral("placeInsert"));
    auto* fill = new QRadioButton(QStringLiteral("写真のない枠だけに入れる"), placeBox);
    fill->setObjectName(QStringLiteral("placeFill"));
    placementGroup->addButton(insert, int(Placement::Insert));
    placementGroup->addButton(fill, int(Placement::Fill));
    insert->setChecked(true);
    placeLayout->addWidget(insert);
    placeLayout->addWidget(fill);
    placeLayout->addStretch();
    return placeBox;
}

// The list of photos with the buttons that arrange it beside it.
QLayout* BatchImportDialog::buildPhotoList()
{
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("photoList"));
    list->setColumnCount(4);
    list->setHeaderLabels({ QStringLiteral("No."), QStringLiteral("ファイル名"),
        QStringLiteral("日時"), QStringLiteral("状態") });
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setDragDropMode(QAbstractItemView::InternalMove);
    list->setDefaultDropAction(Qt::MoveAction);
    list->setDropIndicatorShown(true);
    list->setIconSize(thumbnailSize);
    list->header()->setStretchLastSection(true);
    list->setMinimumSize(640, 320);

    upButton = new QPushButton(QStringLiteral("上へ"), this);
    upButton->setObjectName(QStringLiteral("moveUp"));
    downButton = new QPushButton(QStringLiteral("下へ"), this);
    downButton->setObjectName(QStringLiteral("moveDown"));
    removeButton = new QPushButton(QStringLiteral("選択から外す"), this);
    removeButton->setObjectName(QStringLiteral("removePhotos"));
    auto* addFilesButton = new QPushButton(QStringLiteral("ファイルを追加..."), this);
    auto* addFolderButton = new QPushButton(QStringLiteral("フォルダーを追加..."), this);
    connect(addFilesButton, &QPushButton::clicked, this,
        [this] { add_files(dialogs.openFiles(this, photo_request(lastFolder))); });
    connect(addFolderButton, &QPushButton::clicked, this, &BatchImportDialog::addFolder);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : { upButton, downButton, removeButton, addFilesButton, addFolderButton })
        side->addWidget(b);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(list, 1);
    middle->addLayout(side);
    return middle;
}

FileRequest BatchImportDialog::photo_request(const QString& folder)
{
    FileRequest request;
    request.filter = QStringLiteral("写真ファイル (*.jpg *.jpeg *.png *.bmp *.gif *.tif *.tiff "
                                    "*.webp *.ico *.wmf)|*.jpg|")
        + photo_filter();
    request.filterIndex = 1;
    request.foldersToo = true;
    request.proposedPath = folder;
    return request;
}

bool BatchImportDialog::add_files(const QStringList& paths)
{
    if (!paths.isEmpty()) {
        const QFileInfo first(paths.constFirst());
        lastFolder = first.isDir() ? first.absoluteFilePath() : first.absolutePath();
    }
    const QStringList files = ImportCandidate::expand_folders(paths);
    if (files.isEmpty())
        return true;
    QProgressDialog progress(QStringLiteral("写真を調べています..."), QStringLiteral("中止"), 0,
        int(files.size()), this);
    progress.setWindowTitle(QStringLiteral("写真の一括取込"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QList<ImportCandidate> added;
    added.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        progress.setValue(int(i));
        if (progress.wasCanceled())
            return false;
        added << ImportCandidate::inspect(files.at(i));
    }
    progress.setValue(int(files.size()));
    chosen << added;
    if (order() == ImportOrder::Given)
        shown << added;
    set_order(order());
    return true;
}

ImportOrder BatchImportDialog::order() const
{
    return ImportOrder(orderGroup->checkedId());
}

void BatchImportDialog::set_order(ImportOrder o)
{
    orderGroup->button(int(o))->setChecked(true);
    // The order shown stays as it is when the user takes it as it stands.
    if (o != ImportOrder::Given)
        shown = ImportPlan::order(chosen, o);
    refresh();
}

void BatchImportDialog::set_placement(Placement placement)
{
    placementGroup->button(int(placement))->setChecked(true);
    refresh();
}

QList<ImportCandidate> BatchImportDialog::placeable() const
{
    QList<ImportCandidate> result;
    for (const ImportCandidate& c : shown) {
        if (c.placeable())
            result << c;
    }
    return result;
}

ImportPlan BatchImportDialog::plan() const
{
    QStringList photos;
    QHash<QString, PhotoFacts> facts;
    for (const ImportCandidate& c : placeable()) {
        photos << c.path;
        if (c.facts.hasBoard)
            facts.insert(c.path, c.facts);
    }
    ImportPlan planned = ImportPlan::make(
        entries, startBox->value(), Placement(placementGroup->checkedId()), photos);
    planned.facts = facts;
    planned.boardText = boardTextBox->isChecked();
    return planned;
}

QStringList BatchImportDialog::leftOut() const
{
    QStringList result;
    for (const ImportCandidate& c : shown) {
        if (!c.placeable())
            result << c.path + QStringLiteral(": ") + c.problem;
    }
    return result;
}

QStringList BatchImportDialog::repeatedFiles() const
{
    QSet<QString> seen;
    QStringList repeated;
    for (const ImportCandidate& c : placeable()) {
        const QString key = absolute(c.path);
        if (seen.contains(key) && !repeated.contains(c.path))
            repeated << c.path;
        seen.insert(key);
    }
    return repeated;
}

void BatchImportDialog::drop_repeats()
{
    const auto unique = [](const QList<ImportCandidate>& from) {
        QSet<QString> seen;
        QList<ImportCandidate> kept;
        for (const ImportCandidate& c : from) {
            const QString key = absolute(c.path);
            if (!seen.contains(key))
                kept << c;
            seen.insert(key);
        }
        return kept;
    };
    chosen = unique(chosen);
    shown = unique(shown);
    refresh();
}

void BatchImportDialog::moveSelected(int step)
{
    QList<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems())
        rows << list->indexOfTopLevelItem(item);
    if (rows.isEmpty())
        return;
    std::sort(rows.begin(), rows.end());
    if ((step < 0 && rows.constFirst() == 0) || (step > 0 && rows.constLast() == shown.size() - 1))
        return;
    // Moving the shown order by hand makes it the order the photos go in.
    orderGroup->button(int(ImportOrder::Given))->setChecked(true);
    if (step < 0) {
        for (int r : rows)
            shown.swapItemsAt(r, r - 1);
    } else {
        for (auto it = rows.crbegin(); it != rows.crend(); ++it)
            shown.swapItemsAt(*it, *it + 1);
    }
    refresh();
    list->clearSelection();
    for (int r : rows)
        list->topLevelItem(r + step)->setSelected(true);
    list->setCurrentItem(
        list->topLevelItem(rows.constFirst() + step), 0, QItemSelectionModel::NoUpdate);
}

void BatchImportDialog::removeSelected()
{
    QList<int> rows;
    for (QTreeWidgetItem* item : list->selectedItems())
        rows << list->indexOfTopLevelItem(item);
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int r : rows) {
        const ImportCandidate gone = shown.takeAt(r);
        // The same entry of the chosen list: the one at the same rank among
        // those with this path.
        for (qsizetype i = chosen.size() - 1; i >= 0; --i) {
            if (chosen.at(i).path == gone.path) {
                chosen.removeAt(i);
                break;
            }
        }
    }
    refresh();
}

void BatchImportDialog::addFolder()
{
    const QString folder = dialogs.chooseFolder(this, QStringLiteral("取り込むフォルダーの選択"));
    if (!folder.isEmpty())
        lastFolder = folder;
    if (!folder.isEmpty())
        add_files({ folder });
}

QIcon BatchImportDialog::thumbnail(const QString& path)
{
    auto it = thumbnails.constFind(path);
    if (it != thumbnails.constEnd())
        return *it;
    const Picture picture = loader.load(path, thumbnailSize);
    const QIcon icon = picture.ok() ? QIcon(QPixmap::fromImage(picture.image)) : QIcon();
    thumbnails.insert(path, icon);
    return icon;
}

void BatchImportDialog::showVisibleThumbnails()
{
    const QRect view = list->viewport()->rect();
    QTreeWidgetItem* item = list->itemAt(QPoint(1, 1));
    for (; item && list->visualItemRect(item).top() < view.bottom(); item = list->itemBelow(item)) {
        const int at = item->data(0, ShownIndexRole).toInt();
        if (at >= 0 && at < shown.size() && shown.at(at).placeable() && item->icon(1).isNull())
            item->setIcon(1, thumbnail(shown.at(at).path));
    }
    // Room for the thumbnail beside the name.
    list->resizeColumnToContents(1);
}

void BatchImportDialog::takeDraggedOrder()
{
    QList<ImportCandidate> dragged;
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        const int at = list->topLevelItem(r)->data(0, ShownIndexRole).toInt();
        if (at >= 0 && at < shown.size())
            dragged << shown.at(at);
    }
    // Only a whole list is an order: a drop that lost a row changes nothing.
    if (dragged.size() == shown.size() && list->topLevelItemCount() == shown.size()) {
        shown = dragged;
        orderGroup->button(int(ImportOrder::Given))->setChecked(true);
    }
    refresh();
}

void BatchImportDialog::refresh()
{
    const ImportPlan planned = plan();
    rebuilding = true;
    list->clear();
    // The same file twice: marked on its later rows.
    QSet<QString> seen;
    int k = 0;
    for (qsizetype at = 0; at < shown.size(); ++at) {
        const ImportCandidate& c = shown.at(at);
        auto* item = new QTreeWidgetItem(list);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled
            | Qt::ItemNeverHasChildren);
        item->setData(0, ShownIndexRole, int(at));
        QString status = c.problem;
        if (c.placeable()) {
            if (k < planned.positions.size())
                item->setText(0, QString::number(planned.positions.at(k)));
            if (const auto icon = thumbnails.constFind(c.path); icon != thumbnails.cend())
                item->setIcon(1, *icon);
            ++k;
            const QString key = absolute(c.path);
            if (seen.contains(key))
                status = QStringLiteral("同じファイルがすでに一覧にあります.");
            seen.insert(key);
        }
        // A file left out is shown with its folder: the name alone does not
        // tell where the path goes wrong (a folder Shift-JIS cannot hold).
        item->setText(1, c.placeable() ? c.fileName() : QDir::toNativeSeparators(c.path));
        item->setToolTip(1, c.path);
        item->setText(2, timeText(c));
        item->setText(3, status);
        item->setToolTip(3, status);
    }
    rebuilding = false;
    list->resizeColumnToContents(0);
    list->resizeColumnToContents(1);
    list->resizeColumnToContents(2);
    // After the layout has settled, so that the rows in view are known.
    QTimer::singleShot(0, this, &BatchImportDialog::showVisibleThumbnails);

    const int count = int(planned.photos.size());
    const int pagesAdded = (planned.entryCountAfter - entries.entry_count()) / 3;
    QString text = QStringLiteral("%1 枚を配置します").arg(count);
    if (pagesAdded > 0)
        text += QStringLiteral(" (ページが %1 増えます)").arg(pagesAdded);
    text += QLatin1Char('.');
    if (const qsizetype out = shown.size() - count; out > 0)
        text += QStringLiteral(" 取り込めないファイルが %1 件あります.").arg(out);
    countLabel->setText(text);

    const bool fits = planned.fits();
    limitLabel->setVisible(!fits);
    if (!fits)
        limitLabel->setText(
            QStringLiteral("写真帳は %1 件までのため、No.%2 からはあと %3 枚しか入りません. "
                           "選んだ写真を %4 枚減らしてください.")
                .arg(EntryTable::MaxEntries)
                .arg(planned.start)
                .arg(planned.room)
                .arg(count - planned.room));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(fits && count > 0);
}

} // namespace zk
