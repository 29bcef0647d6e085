#pragma once

#include "model/document.h"
#include "model/entrycontent.h"

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class QUndoStack;

namespace zk {

// The open album and the only way to change it. Every operation below is one
// step on the undo stack; the album is saved exactly when the stack stands at
// the step that was last saved. Views read the document and follow the
// signals; they never write to it.
class Album : public QObject
{
    Q_OBJECT

public:
    // The undo stack keeps at most this many steps.
    static constexpr int UndoLimit = 1000;
    // Typing after a pause this long (ms) starts a new step.
    static constexpr qint64 TypingPause = 2000;

    explicit Album(QObject* parent = nullptr);
    ~Album() override;

    const Document& document() const { return doc; }
    const EntryTable& entries() const { return doc.entries; }
    const CoverData& cover() const { return doc.cover; }
    // The file the album was opened from or last saved to; empty for a new one.
    const QString& filePath() const { return path; }
    // The title, text, image and information of the entry at position.
    EntryContent content(int position) const;

    // The clock (ms, monotonic) that decides typing pauses; tests set their own.
    void setClock(std::function<qint64()> msecs);

    // The steps, for the undo and redo commands and their captions.
    QUndoStack* undoStack() { return stack; }
    const QUndoStack* undoStack() const { return stack; }
    bool saved() const;
    // The current state is what is on disk at filePath (after a save).
    void mark_saved(const QString& filePath);

    // Replaces the whole album (open, new): the undo history starts afresh and
    // the album counts as saved. A recovered album passes saved = false.
    void replace_document(Document document, const QString& filePath, bool saved = true);

    // Typing: consecutive calls for the same field of the same entry merge into
    // one step until end_typing() is called (the user left the box, changed
    // page or paused).
    void set_title(int position, const QString& title);
    void set_text(int position, const QString& text);
    void end_typing();

    void set_image(int position, const QString& path);
    // The photo removal: title, text and image emptied.
    void clear_entry(int position);
    // Clears several entries in one step (positions need not be contiguous).
    void clear_entries(const QList<int>& positions);

    // Opens an empty place at position t (later contents move one place back);
    // a full last entry first grows the album by a page. Returns false, and
    // changes nothing, when that growth would pass the size limit.
    bool insert_place(int t);
    // Removes the contents at t; later contents move one place forward.
    void take_out(int t);
    // Appends a page of three empty entries; false at the size limit.
    bool append_page();

    // Moves the contents of `count` entries starting at `first` to just
    // before the entry that stood at `to` before the move (N + 1: to the
    // end), the others closing up around them; numbers stay with positions.
    // Moving back (to < first) the block then starts at `to`; moving forward
    // it ends at to - 1.
    void move_entries(int first, int count, int to);
    // Moves the contents of the given (possibly scattered) positions as one
    // block in their order to just before position `to` (N + 1: to the end).
    void move_entries(const QList<int>& positions, int to);

    // Sets the contents of many entries in one step, named `stepName`:
    // positions past the end add pages as needed. Returns false, and changes
    // nothing, when the album would pass the size limit.
    bool set_contents(const QMap<int, EntryContent>& contents, const QString& stepName);
    // Inserts `contents` at position t in one step (later contents move back,
    // pages grow as needed); false, and nothing changed, past the size limit.
    bool insert_contents(int t, const QList<EntryContent>& contents, const QString& stepName);

    // The delivery information of one entry (写真情報の変更).
    void set_info(int position, const PhotoInfo& info);
    // Sets the information of many entries in one step named `stepName`;
    // unchanged ones are left out and no step is made when none changes.
    // Returns false, and changes nothing, for a position outside the album.
    bool set_infos(const QMap<int, PhotoInfo>& infos, const QString& stepName);
    // Reorders the contents in one step: new position i + 1 gets the contents
    // of old position order[i]; numbers stay in place, as a drag does. The
    // order is a permutation of 1..k (k up to N; positions after k stay).
    // Returns false, and changes nothing, for anything else.
    bool reorder_entries(const QList<int>& order, const QString& stepName);

    // What the photo file at `imagePath` was when placed. A fact about a file,
    // not an edit: no undo step, and the saved state is left as it is.
    void record_photo(const QString& imagePath, const PhotoRecord& record);

    void set_cover_field(CoverField field, const QString& value);
    void set_cover(const CoverData& cover);

    // A step that changes nothing but counts as an edit (the user cancelled a
    // dialog that the album treats as touched).
    // Undoing or redoing it shows `position` (0: nothing in particular).
    void mark_touched(const QString& stepName, int position = 0);
    // Counts the album as changed without a step of its own: only a save
    // makes it saved again.
    void mark_unsaved();

Q_SIGNALS:
    // Contents of positions first..last changed (inclusive).
    void entriesChanged(int first, int last);
    void pageCountChanged(int pages);
    void coverChanged();
    void savedChanged(bool saved);
    // The album's file changed (a save under another name, open, new).
    void filePathChanged(const QString& filePath);
    // The whole album was replaced (open, new, recovery).
    void documentReplaced();
    // An undo or redo touched this position (0 for the cover): views show it.
    void stepShown(int position);
    // Something changed: once per operation, undo, redo or replacement, after
    // the signals above, for listeners that need nothing more.
    void changed();

private:
    friend class AlbumStep;
    void set_typed(int kind, int key, const QString& value, const QString& stepName);
    void set_path(const QString& filePath);

    Document doc;
    QString path;
    QUndoStack* stack = nullptr;
    // Typing steps merge only while this stays the same and no pause passed.
    int typingSerial = 0;
    qint64 lastTyping = 0;
    QElapsedTimer elapsed;
    std::function<qint64()> clock;
    // While replacing, clearing the stack is no change of its own.
    bool replacing = false;
};

} // namespace zk
