#pragma once

#include <QObject>
#include <QString>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace zk {

class PhotoBox;
class SlotFrame;
class TitleEdit;

// The widgets of one photo slot of the page: photo box, frame, number box,
// title box and text box, placed in the slot's band of the window.
//
// Texts are held with CR LF line breaks; the text box works with "\n". The
// conversion happens here and only here. What the program puts into a box
// comes back out unchanged as long as the user has not edited that box, even
// where the box cannot show it exactly (a lone CR from another program's file).
class SlotView : public QObject
{
    Q_OBJECT

public:
    SlotView(int index, QWidget* parent);

    int index() const { return slotIndex; }

    PhotoBox* photoBox() const { return photo; }
    SlotFrame* frame() const { return outline; }
    QLineEdit* numberBox() const { return number; }
    TitleEdit* titleBox() const { return titleEdit; }
    QPlainTextEdit* textBox() const { return textEdit; }

    void setNumberLabel(const QString& label);
    // Each changes the box only when its content differs, so that setting the
    // same value again signals no change.
    void setTitle(const QString& title);
    void setText(const QString& text);

    QString title() const;
    QString text() const;

Q_SIGNALS:
    // Every change of the box's content, typed or set.
    void titleChanged(int index);
    void textChanged(int index);

private:
    int slotIndex;
    PhotoBox* photo;
    SlotFrame* outline;
    QLineEdit* number;
    TitleEdit* titleEdit;
    QPlainTextEdit* textEdit;

    // The last values set by the program and what the boxes made of them.
    QString setTitleValue, shownTitle;
    QString setTextValue, shownText;
    bool setting = false;
};

} // namespace zk
