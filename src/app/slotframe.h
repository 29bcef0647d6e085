#pragma once

#include <QColor>
#include <QWidget>

namespace zk {

// The outline around a slot's photo; its colour marks the selected slot.
// It lets the mouse through to the photo underneath.
class SlotFrame : public QWidget
{
    Q_OBJECT

public:
    explicit SlotFrame(QWidget* parent = nullptr);

    QColor borderColor() const { return color; }
    void setBorderColor(const QColor& borderColor);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color { 192, 192, 192 };
};

} // namespace zk
