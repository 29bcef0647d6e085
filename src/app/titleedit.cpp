#include "titleedit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QToolTip>

namespace zk {

TitleEdit::TitleEdit(QWidget* parent) : QLineEdit(parent)
{
    // Dropped text would bypass the limit; files are dropped on the photo.
    setAcceptDrops(false);
}

QString TitleEdit::oneLine(QString text)
{
    // A title is one line.
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString TitleEdit::fitted(QString text) const
{
    text = oneLine(text);
    const qsizetype room
        = qMax<qsizetype>(0, KeyboardLimit - (this->text().size() - selectedText().size()));
    if (text.size() > room) {
        qsizetype cut = room;
        if (cut > 0 && text.at(cut - 1).isHighSurrogate())
            --cut; // never half a character
        text.truncate(cut);
    }
    return text;
}

void TitleEdit::insertLimited(const QString& text)
{
    const QString part = fitted(text);
    if (part.isEmpty() && !text.isEmpty()) {
        QApplication::beep();
        return;
    }
    insert(part);
}

void TitleEdit::pasteLimited(bool selection)
{
    if (isReadOnly())
        return;
    const QString text = oneLine(QGuiApplication::clipboard()->text(
        selection ? QClipboard::Selection : QClipboard::Clipboard));
    const QString part = fitted(text);
    if (part.size() < text.size()) {
        // Unlike a refused key, a cut paste loses text the user may not see
        // go: say so beside the box.
        QApplication::beep();
        const QString note
            = QStringLiteral("タイトルは %1 文字までのため、貼り付けた文字の一部を切り捨てました.")
                  .arg(KeyboardLimit);
        QToolTip::showText(mapToGlobal(QPoint(0, height())), note, this);
        Q_EMIT pasteCut(note);
    }
    insert(part);
}

void TitleEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteLimited(false);
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool typing = !text.isEmpty() && text.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typing) {
        insertLimited(text);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TitleEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(
        fitted(event->commitString()), event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
    event->accept();
}

void TitleEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the X11 selection.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        pasteLimited(true);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TitleEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { pasteLimited(false); });
        }
    }
    menu->popup(event->globalPos());
}

} // namespace zk
