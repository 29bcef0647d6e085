#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;

namespace zk {

class Dialogs;

// The 定型文 page of the options window: the user's phrase list, to add to,
// remove from, reorder and fill from a text file. Nothing is stored until
// apply() (OK or 更新 of the window).
class PhrasesPage : public QWidget
{
    Q_OBJECT

public:
    PhrasesPage(Dialogs& dialogs, const QString& file, QWidget* parent);

    QListWidget* list() const { return phraseList; }
    QLineEdit* newPhraseBox() const { return newPhrase; }
    QStringList phrases() const;

    void add_phrase();
    void remove_phrase();
    // Moves the chosen phrase by delta places (−1 up, +1 down).
    void move_phrase(int delta);
    void import_phrases();
    // Adds the phrases of a text file (UTF-8 or Shift-JIS) after the others.
    bool import_from(const QString& path);

    // Stores the list; false, after telling the user, when it cannot be written.
    bool apply();

private:
    void addPhrases(const QStringList& phrases);

    Dialogs& dialogs;
    QString file;
    QListWidget* phraseList;
    QLineEdit* newPhrase;
};

} // namespace zk
