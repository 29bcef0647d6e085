#pragma once

#include <QWidget>

class QToolButton;

namespace zk {

// The page control: two arrow buttons that step the current page between 1
// and the highest page. Arrow keys, Page Up/Down, Home/End and the mouse
// wheel step it too; it never leaves its range.
class PageSpinner : public QWidget
{
    Q_OBJECT

public:
    explicit PageSpinner(QWidget* parent = nullptr);

    int value() const { return current; }
    int maximum() const { return highest; }
    void setValue(int value);
    // Lowers the value too when it would be past the new maximum.
    void setMaximum(int maximum);

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* down;
    QToolButton* up;
    int current = 1;
    int highest = 1;
    int wheelDelta = 0;
};

} // namespace zk
