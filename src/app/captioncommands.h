#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace zk {

class Album;
class Dialogs;
struct BulkCaption;

// Filling captions with little typing: phrases at the caret (定型文の挿入),
// the previous entry's caption (前の写真と同じ) and one caption for many
// entries (一括入力). Each change of the album is one undo step.
class CaptionCommands : public QObject
{
    Q_OBJECT

public:
    // The position of the entry the selected slot shows.
    using SelectedPosition = std::function<int()>;

    // phraseFile: the user's phrases.
    CaptionCommands(Album& album, Dialogs& dialogs, QWidget* window, SelectedPosition selected,
        QString phraseFile);

    // Opens the phrase list over the focused title or text box of the
    // window, else over fallbackBox (the selected slot's title box).
    void insert_phrase(QWidget* fallbackBox);
    // Copies the title and text of the entry before the selected one into it.
    void same_as_previous();
    // Asks for a caption for the given entries (none: for a range the user
    // gives, starting with the selected slot's page) and sets it.
    void bulk_caption(const QList<int>& positions = {});
    // Sets one caption on the given entries in one step; tells the user when
    // nothing changes.
    void apply_bulk_caption(const QList<int>& positions, const BulkCaption& caption);

    // The phrases file; the user's by default.
    void setPhraseFile(const QString& file) { phraseFile = file; }

private:
    Album& album;
    Dialogs& dialogs;
    QPointer<QWidget> window;
    SelectedPosition selected;
    QString phraseFile;
};

} // namespace zk
