#include "pagespinner.h"

#include "model/leadingnumber.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

namespace zk {

PageSpinner::PageSpinner(QWidget* parent)
    : QWidget(parent), total(new QLabel(this)), down(new QToolButton(this)),
      up(new QToolButton(this))
{
    setFocusPolicy(Qt::StrongFocus);
    total->setText(QStringLiteral("/ 1"));
    total->setToolTip(QStringLiteral("ページ数"));
    for (QToolButton* b : { down, up }) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    down->setArrowType(Qt::LeftArrow);
    up->setArrowType(Qt::RightArrow);
    down->setToolTip(QStringLiteral("前のページ"));
    up->setToolTip(QStringLiteral("次のページ"));

    // Arrow buttons
    connect(down, &QToolButton::clicked, this, [this] { setValue(current - 1); });
    connect(up, &QToolButton::clicked, this, [this] { setValue(current + 1); });
}

void PageSpinner::setValue(int value)
{
    value = qBound(1, value, highest);
    if (value == current)
        return;
    current = value;
    Q_EMIT valueChanged(current);
}

void PageSpinner::setMaximum(int maximum)
{
    highest = qMax(1, maximum);
    total->setText(QStringLiteral("/ %1").arg(highest));
    setValue(current);
}

void PageSpinner::setNumberBox(QLineEdit* box)
{
    numberBox = box;
    box->setReadOnly(false);
    box->setMaxLength(6);
    box->setInputMethodHints(Qt::ImhDigitsOnly);
    // Digits, half- or full-width, and blanks: a letter is refused as typed.
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\s0-9０-９]*")), box));
    box->setToolTip(
        QStringLiteral("ページ番号を入力して Enter キーを押すと、そのページへ移ります"));
    box->installEventFilter(this);

    // Typed page numbers
    connect(box, &QLineEdit::returnPressed, this, &PageSpinner::goToTyped);
    connect(box, &QLineEdit::editingFinished, this, &PageSpinner::restoreNumberBox);
    connect(box, &QLineEdit::inputRejected, this, [this] {
        // A full box refuses digits too; that needs no word.
        if (numberBox->text().size() < numberBox->maxLength())
            tell(QStringLiteral("ページ番号は数字で入力してください."));
    });
}

void PageSpinner::goToTyped()
{
    // Leading blanks and full-width digits read as the cover's dates do.
    const double typed = leading_number(numberBox->text());
    restoreNumberBox();
    if (typed < 1) {
        tell(QStringLiteral("ページ番号は 1 から %1 までです.").arg(highest));
        return;
    }
    if (typed > highest)
        tell(QStringLiteral("写真帳は %1 ページまでです. 最後のページを表示します.").arg(highest));
    setValue(typed > highest ? highest : int(typed));
    numberBox->selectAll();
}

void PageSpinner::tell(const QString& why)
{
    QApplication::beep();
    // Just below the box, where the user is looking.
    QToolTip::showText(numberBox->mapToGlobal(QPoint(0, numberBox->height())), why, numberBox);
    Q_EMIT refused(why);
}

void PageSpinner::restoreNumberBox()
{
    // A half-typed number is no page: the box shows the current one again.
    if (numberBox && numberBox->isModified())
        numberBox->setText(QString::number(current));
}

bool PageSpinner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == numberBox && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && numberBox->isModified()) {
        restoreNumberBox();
        numberBox->selectAll();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageSpinner::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        setValue(current - 1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        setValue(current + 1);
        break;
    case Qt::Key_PageDown:
        setValue(current - 10);
        break;
    case Qt::Key_PageUp:
        setValue(current + 10);
        break;
    case Qt::Key_Home:
        setValue(1);
        break;
    case Qt::Key_End:
        setValue(highest);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void PageSpinner::wheelEvent(QWheelEvent* event)
{
    // One step per notch; touchpads deliver notches in small pieces.
    wheelDelta += event->angleDelta().y();
    const int steps = wheelDelta / QWheelEvent::DefaultDeltasPerStep;
    wheelDelta -= steps * QWheelEvent::DefaultDeltasPerStep;
    if (steps != 0)
        setValue(current + steps);
    event->accept();
}

QRect PageSpinner::arrowsRect() const
{
    // The arrows keep the width of the classic spin control (840 twips);
    // the page count takes what is left before them.
    const int arrows = qMin(width(), 56);
    return QRect(width() - arrows, 0, arrows, height());
}

void PageSpinner::resizeEvent(QResizeEvent*)
{
    const QRect arrows = arrowsRect();
    total->setGeometry(0, 0, arrows.left() - 2, height());
    total->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int half = arrows.width() / 2;
    // Inset by one pixel all round, which leaves room for the focus mark.
    down->setGeometry(arrows.left() + 1, 1, half - 1, height() - 2);
    up->setGeometry(arrows.left() + half, 1, arrows.width() - half - 1, height() - 2);
}

void PageSpinner::paintEvent(QPaintEvent*)
{
    // The arrow buttons take no focus themselves, so the control shows that
    // it has the keyboard with a focus mark around them.
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = arrowsRect();
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void PageSpinner::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void PageSpinner::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

} // namespace zk
