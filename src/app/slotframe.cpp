#include "slotframe.h"

#include <QPainter>

namespace zk {

SlotFrame::SlotFrame(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SlotFrame::setBorderColor(const QColor& borderColor)
{
    if (color == borderColor)
        return;
    color = borderColor;
    update();
}

void SlotFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(color);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace zk
