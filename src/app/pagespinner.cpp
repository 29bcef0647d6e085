#include "pagespinner.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QWheelEvent>

namespace zk {

PageSpinner::PageSpinner(QWidget* parent)
    : QWidget(parent), down(new QToolButton(this)), up(new QToolButton(this))
{
    setFocusPolicy(Qt::StrongFocus);
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
    setValue(current);
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

void PageSpinner::resizeEvent(QResizeEvent*)
{
    const int half = width() / 2;
    down->setGeometry(0, 0, half, height());
    up->setGeometry(half, 0, width() - half, height());
}

} // namespace zk
