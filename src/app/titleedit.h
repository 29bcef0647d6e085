#pragma once

#include <QLineEdit>

namespace zk {

// The title box: the user may type at most ten characters, but a longer
// title that the program sets (from a document) is shown and kept whole.
// QLineEdit::setMaxLength would cut such a title, so the limit is applied to
// what the user inserts instead: keys, input-method commits and pastes.
class TitleEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int KeyboardLimit = 10;

    explicit TitleEdit(QWidget* parent = nullptr);

    // Inserts as much of text as the limit leaves room for.
    void insertLimited(const QString& text);

Q_SIGNALS:
    // A paste did not fit and was cut; the box beeped and showed a note.
    void pasteCut(const QString& note);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    static QString oneLine(QString text);
    QString fitted(QString text) const;
    void pasteLimited(bool selection);
};

} // namespace zk
