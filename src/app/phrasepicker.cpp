#include "phrasepicker.h"

#include "app/titleedit.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zk {

PhrasePicker::PhrasePicker(const QStringList& phrases, QWidget* target)
    : QFrame(target, Qt::Popup), choices(phrases), box(target), filter(new QLineEdit(this)),
      choiceList(new QListWidget(this))
{
    setObjectName(QStringLiteral("phrasePicker"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    filter->setObjectName(QStringLiteral("phraseFilter"));
    filter->setPlaceholderText(QStringLiteral("絞り込み"));
    filter->setClearButtonEnabled(true);
    choiceList->setObjectName(QStringLiteral("phraseList"));
    choiceList->setUniformItemSizes(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(filter);
    layout->addWidget(choiceList);
    resize(280, 240);

    applyFilter({});
    filter->installEventFilter(this);

    // Filtering and choosing
    connect(filter, &QLineEdit::textChanged, this, &PhrasePicker::applyFilter);
    connect(filter, &QLineEdit::returnPressed, this, &PhrasePicker::insertChosen);
    connect(choiceList, &QListWidget::itemActivated, this, &PhrasePicker::insertChosen);
}

void PhrasePicker::applyFilter(const QString& text)
{
    choiceList->clear();
    const QString wanted = text.trimmed();
    for (const QString& choice : std::as_const(choices)) {
        if (wanted.isEmpty() || choice.contains(wanted, Qt::CaseInsensitive))
            choiceList->addItem(choice);
    }
    if (choiceList->count() > 0)
        choiceList->setCurrentRow(0);
}

void PhrasePicker::popup()
{
    if (box) {
        QPoint below = box->mapToGlobal(QPoint(0, box->height()));
        if (auto* text = qobject_cast<QPlainTextEdit*>(box.data()))
            below = text->viewport()->mapToGlobal(text->cursorRect().bottomLeft());
        move(below);
    }
    show();
    filter->setFocus(Qt::PopupFocusReason);
}

void PhrasePicker::insertChosen()
{
    QListWidgetItem* item = choiceList->currentItem();
    const QString phrase = item ? item->text() : QString();
    close();
    if (box && !phrase.isEmpty()) {
        box->setFocus(Qt::OtherFocusReason);
        insert_into(box, phrase);
    }
}

void PhrasePicker::insert_into(QWidget* box, const QString& text)
{
    if (auto* title = qobject_cast<TitleEdit*>(box))
        title->insertLimited(text);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(box))
        edit->insertPlainText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(box))
        line->insert(text);
}

bool PhrasePicker::eventFilter(QObject* watched, QEvent* event)
{
    // Up and Down in the filter box move through the list.
    if (watched == filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp
            || key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(choiceList, event);
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace zk
