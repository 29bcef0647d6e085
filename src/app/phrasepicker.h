#pragma once

#include <QFrame>
#include <QPointer>
#include <QStringList>

class QLineEdit;
class QListWidget;

namespace zk {

// The small list of phrases that pops up over a title or text box: typing
// filters it, Up and Down choose, Enter (or a double click) inserts the
// chosen phrase at the box's caret, Escape closes it. A title box takes only
// as much as its keyboard limit leaves room for, as it does for a paste.
class PhrasePicker : public QFrame
{
    Q_OBJECT

public:
    // box is a TitleEdit or a QPlainTextEdit; the picker deletes itself when
    // it closes.
    PhrasePicker(const QStringList& choices, QWidget* box);

    QLineEdit* filterBox() const { return filter; }
    QListWidget* list() const { return choiceList; }

    // Shows the picker just below the box's caret.
    void popup();
    // Inserts the chosen phrase into the box and closes the picker.
    void insertChosen();

    // Puts text into box at its caret as typing would.
    static void insert_into(QWidget* box, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter(const QString& text);

    QStringList choices;
    QPointer<QWidget> box;
    QLineEdit* filter;
    QListWidget* choiceList;
};

} // namespace zk
