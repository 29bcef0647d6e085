#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace zk {

// The page control: two arrow buttons that step the current page between 1
// and the highest page, with the page count beside them ("/ 12"). Arrow
// keys, Page Up/Down, Home/End and the mouse wheel step it too; it never
// leaves its range. The page-number box it works with takes a typed page
// number (digits only): Enter goes there, Escape or leaving the box puts the
// current page back; a page out of range is told beside the box.
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
    // The box that shows the current page; the window keeps its text in step
    // with the value. From now on the user may type a page number into it.
    void setNumberBox(QLineEdit* box);

Q_SIGNALS:
    void valueChanged(int value);
    // A typed page could not be taken as it was; why, for the user (also
    // shown beside the box).
    void refused(const QString& why);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void goToTyped();
    void tell(const QString& why);
    void restoreNumberBox();
    QRect arrowsRect() const;

    QLabel* total;
    QToolButton* down;
    QToolButton* up;
    QLineEdit* numberBox = nullptr;
    int current = 1;
    int highest = 1;
    int wheelDelta = 0;
};

} // namespace zk
