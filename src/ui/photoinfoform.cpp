#include "photoinfoform.h"

#include "ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zk {

namespace {

QComboBox* nameBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    // Typed names stay in the box only; the offer is the list's to keep.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->completer()->setCompletionMode(QCompleter::PopupCompletion);
    box->completer()->setFilterMode(Qt::MatchContains);
    box->setMinimumContentsLength(24);
    return box;
}

QPlainTextEdit* textBox(QWidget* parent, const char* name, int lines)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setTabChangesFocus(true);
    box->setFixedHeight(box->fontMetrics().lineSpacing() * lines + 12);
    return box;
}

bool isConstruction(const QString& largeClass)
{
    return largeClass.isEmpty() || largeClass == large_classes().constFirst();
}

} // namespace

PhotoInfoForm::PhotoInfoForm(
    Mode m, Dialogs& messages, const QList<WorkTypeRow>& offered, QWidget* parent)
    : QWidget(parent), mode(m), dialogs(messages), choices(offered),
      largeClass(new QComboBox(this)), photoClass(new QComboBox(this)),
      workType(nameBox(this, "infoWorkType")), kind(nameBox(this, "infoKind")),
      detail(nameBox(this, "infoDetail")), reserves(textBox(this, "infoReserves", 2)),
      spot(new QLineEdit(this)), shotDate(new QLineEdit(this)),
      representative(new QCheckBox(QStringLiteral("代表写真にする(&R)"), this)),
      frequency(new QCheckBox(QStringLiteral("提出頻度写真にする(&F)"), this)),
      controlValue(textBox(this, "infoControlValue", 2)),
      remark(textBox(this, "infoRemark", 2)), drawings(new QTableWidget(0, 2, this))
{
    setObjectName(QStringLiteral("photoInfoForm"));
    largeClass->setObjectName(QStringLiteral("infoLargeClass"));
    largeClass->addItem(QString());
    largeClass->addItems(large_classes());
    photoClass->setObjectName(QStringLiteral("infoPhotoClass"));
    photoClass->setInsertPolicy(QComboBox::NoInsert);
    offer(photoClass, photo_classes());
    offer(workType, WorkTypeList::work_types(choices));
    offer(kind, WorkTypeList::kinds(choices, {}));
    offer(detail, WorkTypeList::details(choices, {}, {}));
    spot->setObjectName(QStringLiteral("infoSpot"));
    shotDate->setObjectName(QStringLiteral("infoShotDate"));
    shotDate->setMaxLength(10);
    shotDate->setToolTip(QStringLiteral("2024-05-01 のように入力します. 空欄のときは写真の撮影日を使います."));
    representative->setObjectName(QStringLiteral("infoRepresentative"));
    frequency->setObjectName(QStringLiteral("infoFrequency"));
    if (mode == Mode::Bulk) {
        // The third state leaves the flag of every entry as it is.
        for (QCheckBox* flag : { representative, frequency }) {
            flag->setTristate(true);
            flag->setCheckState(Qt::PartiallyChecked);
        }
    }

    QPushButton* addDrawing = nullptr;
    QLayout* drawingRow = buildDrawingRow(&addDrawing);
    auto* flags = new QHBoxLayout;
    flags->addWidget(representative);
    flags->addWidget(frequency);
    flags->addStretch();

    layOutRows(flags, drawingRow, addDrawing);

    // The lists follow the classes chosen above them
    connect(largeClass, &QComboBox::currentTextChanged, this, &PhotoInfoForm::largeClassChanged);
    connect(workType, &QComboBox::currentTextChanged, this, &PhotoInfoForm::workTypeChanged);
    connect(kind, &QComboBox::currentTextChanged, this, &PhotoInfoForm::kindChanged);
    largeClassChanged();
}

// The reference drawings' table with its 追加 and 削除 buttons beside it.
QLayout* PhotoInfoForm::buildDrawingRow(QPushButton** addButton)
{
    drawings->setObjectName(QStringLiteral("infoDrawings"));
    drawings->setHorizontalHeaderLabels({ QStringLiteral("ファイル"), QStringLiteral("タイトル") });
    drawings->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    drawings->verticalHeader()->hide();
    drawings->setSelectionBehavior(QAbstractItemView::SelectRows);
    drawings->setFixedHeight(drawings->fontMetrics().lineSpacing() * 5);
    auto* addDrawing = new QPushButton(QStringLiteral("追加(&A)..."), this);
    auto* removeDrawing = new QPushButton(QStringLiteral("削除"), this);
    addDrawing->setObjectName(QStringLiteral("infoDrawingAdd"));
    removeDrawing->setObjectName(QStringLiteral("infoDrawingRemove"));
    for (QPushButton* b : { addDrawing, removeDrawing })
        b->setAutoDefault(false);
    auto* drawingButtons = new QVBoxLayout;
    drawingButtons->addWidget(addDrawing);
    drawingButtons->addWidget(removeDrawing);
    drawingButtons->addStretch();
    auto* drawingRow = new QHBoxLayout;
    drawingRow->addWidget(drawings, 1);
    drawingRow->addLayout(drawingButtons);
    connect(addDrawing, &QPushButton::clicked, this, &PhotoInfoForm::add_drawing);
    connect(removeDrawing, &QPushButton::clicked, this, &PhotoInfoForm::remove_drawing);
    *addButton = addDrawing;
    return drawingRow;
}

void PhotoInfoForm::layOutRows(QLayout* flags, QLayout* drawingRow, QPushButton* addDrawing)
{
    // One row per item, in the order of InfoItem; the bulk form adds 空にする.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const struct
    {
        InfoItem item;
        const char* label;
        QWidget* editor;
        QLayout* row;
    } rows[] = {
        { InfoItem::LargeClass, "写真-大分類(&L):", largeClass, nullptr },
        { InfoItem::PhotoClass, "写真区分(&C):", photoClass, nullptr },
        { InfoItem::WorkType, "工種(&W):", workType, nullptr },
        { InfoItem::Kind, "種別(&K):", kind, nullptr },
        { InfoItem::Detail, "細別(&D):", detail, nullptr },
        { InfoItem::Reserves, "工種区分予備:\n(1 行に 1 つ)", reserves, nullptr },
        { InfoItem::Spot, "撮影箇所(&P):", spot, nullptr },
        { InfoItem::ShotDate, "撮影年月日(&T):", shotDate, nullptr },
        { InfoItem::Representative, "", nullptr, flags },
        { InfoItem::ControlValue, "施工管理値(&V):", controlValue, nullptr },
        { InfoItem::Remark, "受注者説明文(&M):", remark, nullptr },
        { InfoItem::Drawings, "参考図:", drawings, drawingRow },
    };
    int r = 0;
    for (const auto& row : rows) {
        auto* label = new QLabel(QString::fromUtf8(row.label), this);
        grid->addWidget(label, r, 0, Qt::AlignRight | Qt::AlignTop);
        if (row.row)
            grid->addLayout(row.row, r, 1);
        else
            grid->addWidget(row.editor, r, 1);
        if (row.editor)
            label->setBuddy(row.editor);
        if (mode == Mode::Bulk && row.item != InfoItem::Representative) {
            auto* clear = new QCheckBox(QStringLiteral("空にする"), this);
            clear->setObjectName(QStringLiteral("infoClear%1").arg(int(row.item)));
            clear->setToolTip(QStringLiteral("選択したすべての写真でこの項目を空にします."));
            grid->addWidget(clear, r, 2, Qt::AlignTop);
            clears.insert(row.item, clear);
            QWidget* editor = row.editor;
            QPushButton* add = row.item == InfoItem::Drawings ? addDrawing : nullptr;
            connect(clear, &QCheckBox::toggled, this, [editor, add](bool on) {
                editor->setEnabled(!on);
                if (add)
                    add->setEnabled(!on);
            });
        }
        ++r;
    }
    grid->setColumnStretch(1, 1);
    if (mode == Mode::Bulk) {
        auto* hint = new QLabel(
            QStringLiteral("空欄の項目は変更しません. 項目を消すには「空にする」を選びます."), this);
        hint->setWordWrap(true);
        grid->addWidget(hint, r, 0, 1, 3);
    }
}

void PhotoInfoForm::offer(QComboBox* box, const QStringList& items)
{
    const QString current = box->currentText();
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItem(QString());
    box->addItems(items);
    // A value from elsewhere that the list lacks is shown, never dropped.
    if (!box->isEditable() && !current.isEmpty() && box->findText(current) < 0)
        box->addItem(current);
    box->setCurrentText(current);
}

void PhotoInfoForm::largeClassChanged()
{
    // 写真区分 is one of the fixed list for 工事, free text for the others.
    const bool fixed = isConstruction(largeClass->currentText());
    if (photoClass->isEditable() == !fixed)
        return;
    const QString current = photoClass->currentText();
    photoClass->setEditable(!fixed);
    photoClass->setInsertPolicy(QComboBox::NoInsert);
    photoClass->setCurrentText(current);
    offer(photoClass, photo_classes());
}

void PhotoInfoForm::workTypeChanged()
{
    offer(kind, WorkTypeList::kinds(choices, workType->currentText().trimmed()));
    kindChanged();
}

void PhotoInfoForm::kindChanged()
{
    offer(detail,
        WorkTypeList::details(
            choices, workType->currentText().trimmed(), kind->currentText().trimmed()));
}

void PhotoInfoForm::set_info(const PhotoInfo& info)
{
    shown = info;
    const int large = largeClass->findText(info.largeClass);
    if (large < 0)
        largeClass->addItem(info.largeClass);
    largeClass->setCurrentText(info.largeClass);
    largeClassChanged();
    if (!photoClass->isEditable() && photoClass->findText(info.photoClass) < 0)
        photoClass->addItem(info.photoClass);
    photoClass->setCurrentText(info.photoClass);
    workType->setCurrentText(info.workType);
    kind->setCurrentText(info.kind);
    detail->setCurrentText(info.detail);
    reserves->setPlainText(info.reserves.join(QLatin1Char('\n')));
    spot->setText(info.spot);
    shotDate->setText(info.shotDate);
    representative->setChecked(info.representative == QLatin1String("1"));
    frequency->setChecked(info.frequency == QLatin1String("1"));
    controlValue->setPlainText(info.controlValue);
    remark->setPlainText(info.remark);
    drawings->setRowCount(0);
    for (const ReferenceDrawing& d : info.drawings)
        append_drawing(d.path, d.title);
}

void PhotoInfoForm::set_photo_date(const QString& date)
{
    shotDate->setPlaceholderText(date.isEmpty() ? QString() : date + QStringLiteral(" (写真の撮影日)"));
}

QString PhotoInfoForm::flagValue(const QCheckBox* box, const QString& before) const
{
    switch (box->checkState()) {
    case Qt::Checked:
        return QStringLiteral("1");
    case Qt::Unchecked:
        // An item never given stays so; one that said 1 now says 0.
        return mode == Mode::Bulk || !before.isEmpty() ? QStringLiteral("0") : QString();
    case Qt::PartiallyChecked:
        break;
    }
    return {};
}

QList<ReferenceDrawing> PhotoInfoForm::drawingRows() const
{
    QList<ReferenceDrawing> out;
    for (int row = 0; row < drawings->rowCount(); ++row) {
        const auto cell = [this, row](int column) {
            const QTableWidgetItem* item = drawings->item(row, column);
            return item ? item->text().trimmed() : QString();
        };
        if (!cell(0).isEmpty())
            out.append({ cell(0), cell(1) });
    }
    return out;
}

PhotoInfo PhotoInfoForm::info() const
{
    PhotoInfo info;
    info.largeClass = largeClass->currentText().trimmed();
    info.photoClass = photoClass->currentText().trimmed();
    info.workType = workType->currentText().trimmed();
    info.kind = kind->currentText().trimmed();
    info.detail = detail->currentText().trimmed();
    info.setText(InfoItem::Reserves, reserves->toPlainText());
    info.spot = spot->text().trimmed();
    QString ignored;
    info.shotDate = normalized_shot_date(shotDate->text(), &ignored);
    info.representative = flagValue(representative, shown.representative);
    info.frequency = flagValue(frequency, shown.frequency);
    info.controlValue = controlValue->toPlainText();
    info.remark = remark->toPlainText();
    info.drawings = drawingRows();
    return info;
}

InfoPatch PhotoInfoForm::patch() const
{
    InfoPatch patch;
    patch.values = info();
    for (auto it = clears.cbegin(); it != clears.cend(); ++it) {
        if (it.value()->isChecked()) {
            patch.cleared.append(it.key());
            patch.values.setText(it.key(), {});
        }
    }
    return patch;
}

QString PhotoInfoForm::problem() const
{
    if (mode == Mode::Bulk && clears.value(InfoItem::ShotDate)->isChecked())
        return {};
    QString problem;
    normalized_shot_date(shotDate->text(), &problem);
    return problem;
}

void PhotoInfoForm::add_drawing()
{
    FileRequest request;
    request.filter = QStringLiteral(
        "図面 (*.pdf;*.jpg;*.jpeg;*.tif;*.tiff;*.svg;*.png)|*.pdf;*.jpg;*.jpeg;*.tif;*.tiff;*.svg;*.png|すべてのファイル (*.*)|*.*");
    const QString path = dialogs.openFile(this, request);
    if (!path.isEmpty())
        append_drawing(path, QFileInfo(path).completeBaseName());
}

void PhotoInfoForm::append_drawing(const QString& path, const QString& title)
{
    const int row = drawings->rowCount();
    drawings->insertRow(row);
    drawings->setItem(row, 0, new QTableWidgetItem(path));
    drawings->setItem(row, 1, new QTableWidgetItem(title));
    drawings->setCurrentCell(row, 1);
}

void PhotoInfoForm::remove_drawing()
{
    const int row = drawings->currentRow();
    if (row >= 0)
        drawings->removeRow(row);
}

} // namespace zk
