#include "album.h"

#include <QSet>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace zk {

namespace {

enum TypingKind { TitleKind, TextKind, CoverKind };

// QUndoCommand ids: only typing steps merge.
constexpr int TypingId = 1;

} // namespace

// The base of every step: reaches into the album it changes and tells the
// views what changed. The first redo() is the push itself; later undo()s and
// redo()s also ask the views to show where the change happened.
class AlbumStep : public QUndoCommand
{
public:
    AlbumStep(Album& album, const QString& name) : a(album) { setText(name); }

    void undo() override
    {
        apply(false);
        // Typing after an undo starts a step of its own.
        ++a.typingSerial;
        Q_EMIT a.stepShown(shownPosition());
    }

    void redo() override
    {
        apply(true);
        if (pushed)
            Q_EMIT a.stepShown(shownPosition());
        pushed = true;
    }

protected:
    virtual void apply(bool forward) = 0;
    // The position a view shows after an undo or redo (0: the cover).
    virtual int shownPosition() const = 0;

    Document& doc() { return a.doc; }
    EntryTable& table() { return a.doc.entries; }
    Album& album() { return a; }

    void setContent(int position, const EntryContent& c) { table().set_content(position, c); }

    // Grows or shrinks the table to `count` entries, telling the views.
    void resize(int count)
    {
        const int before = table().entry_count();
        if (count == before)
            return;
        if (count < before)
            table().truncate(count);
        while (table().entry_count() < count)
            table().append_page();
        Q_EMIT a.pageCountChanged(table().page_count());
    }

    void entriesChanged(int first, int last)
    {
        last = std::min(last, table().entry_count());
        if (first <= last)
            Q_EMIT a.entriesChanged(first, last);
    }

    void coverChanged() { Q_EMIT a.coverChanged(); }
    int serial() const { return a.typingSerial; }

private:
    Album& a;
    bool pushed = false;
};

namespace {

// A change of one text written as the difference between its old and new
// value, so that a long text typed character by character keeps only the
// characters that changed, not a copy of the text per step.
struct TextDelta
{
    qsizetype at = 0;
    QString removed;
    QString inserted;

    static TextDelta between(const QString& before, const QString& after)
    {
        const qsizetype limit = std::min(before.size(), after.size());
        qsizetype prefix = 0;
        while (prefix < limit && before.at(prefix) == after.at(prefix))
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < limit - prefix
            && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix))
            ++suffix;
        return { prefix, before.mid(prefix, before.size() - prefix - suffix),
            after.mid(prefix, after.size() - prefix - suffix) };
    }

    QString forward(QString value) const { return value.replace(at, removed.size(), inserted); }
    QString backward(QString value) const { return value.replace(at, inserted.size(), removed); }
};

class TypingStep : public AlbumStep
{
public:
    TypingStep(Album& album, int kind, int key, const QString& value, const QString& name)
        : AlbumStep(album, name), kind(kind), key(key), typing(serial())
    {
        delta = TextDelta::between(current(), value);
    }

    int id() const override { return TypingId; }

    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const TypingStep*>(other);
        if (next->kind != kind || next->key != key || next->typing != typing)
            return false;
        // The later step has run: rebuild the value before both and describe
        // the two as one change.
        const QString now = current();
        delta = TextDelta::between(delta.backward(next->delta.backward(now)), now);
        return true;
    }

protected:
    void apply(bool forward) override
    {
        const QString value = forward ? delta.forward(current()) : delta.backward(current());
        if (kind == CoverKind) {
            doc().cover.setField(CoverField(key), value);
            coverChanged();
        } else {
            table().set_field(key, kind == TitleKind ? EntryField::Title : EntryField::Text, value);
            entriesChanged(key, key);
        }
    }

    int shownPosition() const override { return kind == CoverKind ? 0 : key; }

private:
    QString current()
    {
        if (kind == CoverKind)
            return doc().cover.field(CoverField(key));
        return table().get_field(key, kind == TitleKind ? EntryField::Title : EntryField::Text);
    }

    int kind;
    int key; // the position, or the cover field
    int typing;
    TextDelta delta;
};

// New contents for some positions, the table possibly grown first.
class ContentsStep : public AlbumStep
{
public:
    ContentsStep(Album& album, const QString& name, const QMap<int, EntryContent>& contents,
        int entriesAfter)
        : AlbumStep(album, name), entriesBefore(table().entry_count()), entriesAfter(entriesAfter)
    {
        for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
            positions.append(it.key());
            before.append(it.key() <= entriesBefore ? album.content(it.key()) : EntryContent {});
            after.append(it.value());
        }
    }

protected:
    void apply(bool forward) override
    {
        if (forward)
            resize(entriesAfter);
        const QList<EntryContent>& contents = forward ? after : before;
        for (qsizetype i = 0; i < positions.size(); ++i) {
            if (positions.at(i) <= table().entry_count())
                setContent(positions.at(i), contents.at(i));
        }
        if (!forward)
            resize(entriesBefore);
        if (!positions.isEmpty())
            entriesChanged(positions.constFirst(), positions.constLast());
    }

    int shownPosition() const override { return positions.isEmpty() ? 1 : positions.constFirst(); }

private:
    QList<int> positions; // ascending
    QList<EntryContent> before, after;
    int entriesBefore, entriesAfter;
};

// Opens places at t for new contents; later contents move back. The table
// grows first so that nothing falls off its end, and shrinks again on undo.
class ShiftStep : public AlbumStep
{
public:
    ShiftStep(Album& album, const QString& name, int t, const QList<EntryContent>& contents,
        int entriesAfter)
        : AlbumStep(album, name), t(t), inserted(contents), entriesBefore(table().entry_count()),
          entriesAfter(entriesAfter)
    {
    }

protected:
    void apply(bool forward) override
    {
        const qsizetype m = inserted.size();
        if (forward) {
            resize(entriesAfter);
            const int n = table().entry_count();
            if (m == 1) {
                table().insert_place(t);
            } else {
                for (int j = n - int(m); j >= t; --j)
                    setContent(j + int(m), album().content(j));
            }
            for (qsizetype i = 0; i < m; ++i)
                setContent(t + int(i), inserted.at(i));
        } else {
            const int n = table().entry_count();
            if (m == 1) {
                table().take_out(t);
            } else {
                for (int j = t; j + int(m) <= n; ++j)
                    setContent(j, album().content(j + int(m)));
                for (int j = std::max(t, n - int(m) + 1); j <= n; ++j)
                    setContent(j, {});
            }
            resize(entriesBefore);
        }
        entriesChanged(t, table().entry_count());
    }

    int shownPosition() const override { return t; }

private:
    int t;
    QList<EntryContent> inserted;
    int entriesBefore, entriesAfter;
};

// Takes the contents at t out; later contents move forward.
class TakeOutStep : public AlbumStep
{
public:
    TakeOutStep(Album& album, int t)
        : AlbumStep(album, QStringLiteral("抜取")), t(t), removed(album.content(t))
    {
    }

protected:
    void apply(bool forward) override
    {
        if (forward) {
            table().take_out(t);
        } else {
            // The last entry is empty after a take-out, so nothing is pushed off.
            table().insert_place(t);
            setContent(t, removed);
        }
        entriesChanged(t, table().entry_count());
    }

    int shownPosition() const override { return t; }

private:
    int t;
    EntryContent removed;
};

class PageStep : public AlbumStep
{
public:
    explicit PageStep(Album& album)
        : AlbumStep(album, QStringLiteral("ページの追加")), entriesBefore(table().entry_count())
    {
    }

protected:
    void apply(bool forward) override { resize(forward ? entriesBefore + 3 : entriesBefore); }
    int shownPosition() const override { return entriesBefore + 1; }

private:
    int entriesBefore;
};

class CoverStep : public AlbumStep
{
public:
    CoverStep(Album& album, const CoverData& cover)
        : AlbumStep(album, QStringLiteral("表紙の変更")), before(album.cover()), after(cover)
    {
    }

protected:
    void apply(bool forward) override
    {
        doc().cover = forward ? after : before;
        coverChanged();
    }
    int shownPosition() const override { return 0; }

private:
    CoverData before, after;
};

// Changes nothing, but stands on the stack so that the album counts as edited.
class TouchStep : public AlbumStep
{
public:
    TouchStep(Album& album, const QString& name, int position)
        : AlbumStep(album, name), position(position)
    {
    }

protected:
    void apply(bool) override { }
    int shownPosition() const override { return position; }

private:
    int position;
};

// The entries a table needs so that `last` is a position in it: whole pages.
int entriesFor(int current, int last)
{
    return std::max(current, (last + 2) / 3 * 3);
}

// The last position with contents, 0 when the album is empty.
int lastFilled(const EntryTable& table)
{
    for (int j = table.entry_count(); j >= 1; --j) {
        if (!table.entry(j).isEmpty())
            return j;
    }
    return 0;
}

} // namespace

Album::Album(QObject* parent) : QObject(parent), doc(Document::blank()), stack(new QUndoStack(this))
{
    stack->setUndoLimit(UndoLimit);
    elapsed.start();
    clock = [this] { return elapsed.elapsed(); };
    connect(stack, &QUndoStack::cleanChanged, this, &Album::savedChanged);
    // Every push, merge, undo and redo moves or renews the index; by then the
    // saved state is up to date for the listeners.
    connect(stack, &QUndoStack::indexChanged, this, [this] {
        if (!replacing)
            Q_EMIT changed();
    });
}

Album::~Album() = default;

EntryContent Album::content(int position) const
{
    return doc.entries.entry(position).content();
}

void Album::setClock(std::function<qint64()> msecs)
{
    clock = std::move(msecs);
}

bool Album::saved() const
{
    return stack->isClean();
}

void Album::set_path(const QString& filePath)
{
    if (path == filePath)
        return;
    path = filePath;
    Q_EMIT filePathChanged(path);
}

void Album::mark_saved(const QString& filePath)
{
    end_typing();
    stack->setClean();
    set_path(filePath);
}

void Album::replace_document(Document document, const QString& filePath, bool saved)
{
    end_typing();
    // A user does not expect Undo to take back an open or a new album.
    replacing = true;
    stack->clear();
    doc = std::move(document);
    if (doc.entries.entry_count() == 0)
        doc.entries.reset_table();
    if (saved)
        stack->setClean();
    else
        stack->resetClean();
    replacing = false;
    set_path(filePath);
    Q_EMIT documentReplaced();
    Q_EMIT pageCountChanged(doc.entries.page_count());
    Q_EMIT coverChanged();
    Q_EMIT entriesChanged(1, doc.entries.entry_count());
    Q_EMIT changed();
}

void Album::set_typed(int kind, int key, const QString& value, const QString& stepName)
{
    const qint64 now = clock();
    if (now - lastTyping >= TypingPause)
        ++typingSerial;
    lastTyping = now;
    const QString& current = kind == CoverKind
        ? doc.cover.field(CoverField(key))
        : doc.entries.get_field(key, kind == TitleKind ? EntryField::Title : EntryField::Text);
    if (current == value)
        return;
    stack->push(new TypingStep(*this, kind, key, value, stepName));
}

void Album::set_title(int position, const QString& title)
{
    set_typed(TitleKind, position, title, QStringLiteral("タイトルの入力"));
}

void Album::set_text(int position, const QString& text)
{
    set_typed(TextKind, position, text, QStringLiteral("説明文の入力"));
}

void Album::end_typing()
{
    ++typingSerial;
}

void Album::set_image(int position, const QString& imagePath)
{
    EntryContent c = content(position);
    if (c.image == imagePath)
        return;
    end_typing();
    c.image = imagePath;
    stack->push(new ContentsStep(
        *this, QStringLiteral("写真の取込"), { { position, c } }, doc.entries.entry_count()));
}

void Album::clear_entry(int position)
{
    clear_entries({ position });
}

void Album::clear_entries(const QList<int>& positions)
{
    end_typing();
    QMap<int, EntryContent> cleared;
    for (int p : positions)
        cleared.insert(p, {});
    // Even an empty slot's removal counts as an edit.
    stack->push(
        new ContentsStep(*this, QStringLiteral("写真の削除"), cleared, doc.entries.entry_count()));
}

bool Album::insert_place(int t)
{
    return insert_contents(t, { EntryContent {} }, QStringLiteral("挿入"));
}

void Album::take_out(int t)
{
    end_typing();
    stack->push(new TakeOutStep(*this, t));
}

bool Album::append_page()
{
    if (doc.entries.entry_count() + 3 > EntryTable::MaxEntries)
        return false;
    end_typing();
    stack->push(new PageStep(*this));
    return true;
}

void Album::move_entries(int first, int count, int to)
{
    QList<int> positions;
    for (int p = first; p < first + count; ++p)
        positions.append(p);
    move_entries(positions, to);
}

void Album::move_entries(const QList<int>& positions, int to)
{
    const int n = doc.entries.entry_count();
    QSet<int> moving;
    QList<int> block;
    for (int p : positions) {
        if (p >= 1 && p <= n && !moving.contains(p)) {
            moving.insert(p);
            block.append(p);
        }
    }
    to = std::clamp(to, 1, n + 1);
    if (block.isEmpty())
        return;
    // Only the positions between the first moved one (or the target) and the
    // last moved one (or the target) change.
    const int low = std::min(*std::min_element(block.cbegin(), block.cend()), to);
    const int high = std::max(*std::max_element(block.cbegin(), block.cend()), to - 1);
    QList<int> order;
    for (int p = low; p <= high; ++p) {
        if (p == to)
            order.append(block);
        if (!moving.contains(p))
            order.append(p);
    }
    if (to > high)
        order.append(block);
    QMap<int, EntryContent> contents;
    bool changes = false;
    for (int i = 0; i < order.size(); ++i) {
        contents.insert(low + i, content(order.at(i)));
        changes = changes || order.at(i) != low + i;
    }
    if (!changes)
        return;
    end_typing();
    stack->push(new ContentsStep(*this, QStringLiteral("並べ替え"), contents, n));
}

bool Album::set_contents(const QMap<int, EntryContent>& contents, const QString& stepName)
{
    if (contents.isEmpty())
        return true;
    if (contents.firstKey() < 1 || contents.lastKey() > EntryTable::MaxEntries)
        return false;
    end_typing();
    stack->push(new ContentsStep(
        *this, stepName, contents, entriesFor(doc.entries.entry_count(), contents.lastKey())));
    return true;
}

bool Album::insert_contents(int t, const QList<EntryContent>& contents, const QString& stepName)
{
    const int n = doc.entries.entry_count();
    const int m = int(contents.size());
    if (m == 0 || t < 1 || t > n + 1)
        return m == 0;
    // Every filled position from t on moves m places back and must stay in
    // the table; so must the last inserted one.
    const int last = lastFilled(doc.entries);
    const int needed = std::max(last >= t ? last + m : 0, t + m - 1);
    if (needed > EntryTable::MaxEntries)
        return false;
    const int entriesAfter = entriesFor(n, needed);
    if (entriesAfter > EntryTable::MaxEntries)
        return false;
    end_typing();
    stack->push(new ShiftStep(*this, stepName, t, contents, entriesAfter));
    return true;
}

void Album::set_info(int position, const PhotoInfo& info)
{
    set_infos({ { position, info } }, QStringLiteral("写真情報の変更"));
}

bool Album::set_infos(const QMap<int, PhotoInfo>& infos, const QString& stepName)
{
    const int n = doc.entries.entry_count();
    if (!infos.isEmpty() && (infos.firstKey() < 1 || infos.lastKey() > n))
        return false;
    QMap<int, EntryContent> contents;
    for (auto it = infos.cbegin(); it != infos.cend(); ++it) {
        EntryContent c = content(it.key());
        if (c.info == it.value())
            continue;
        c.info = it.value();
        contents.insert(it.key(), c);
    }
    if (contents.isEmpty())
        return true;
    end_typing();
    stack->push(new ContentsStep(*this, stepName, contents, n));
    return true;
}

bool Album::reorder_entries(const QList<int>& order, const QString& stepName)
{
    const int n = doc.entries.entry_count();
    if (order.size() > n)
        return false;
    // Only a permutation of 1..k is an order: anything else would lose or
    // duplicate entries.
    QList<bool> seen(order.size() + 1, false);
    for (int p : order) {
        if (p < 1 || p > order.size() || seen.at(p))
            return false;
        seen[p] = true;
    }
    QMap<int, EntryContent> contents;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order.at(i) != i + 1)
            contents.insert(int(i) + 1, content(order.at(i)));
    }
    if (contents.isEmpty())
        return true;
    end_typing();
    stack->push(new ContentsStep(*this, stepName, contents, n));
    return true;
}

void Album::record_photo(const QString& imagePath, const PhotoRecord& record)
{
    doc.records.insert(imagePath, record);
}

void Album::set_cover_field(CoverField field, const QString& value)
{
    set_typed(CoverKind, int(field), value, QStringLiteral("表紙の入力"));
}

void Album::set_cover(const CoverData& cover)
{
    if (cover == doc.cover)
        return;
    end_typing();
    stack->push(new CoverStep(*this, cover));
}

void Album::mark_touched(const QString& stepName, int position)
{
    end_typing();
    stack->push(new TouchStep(*this, stepName, position));
}

void Album::mark_unsaved()
{
    stack->resetClean();
}

} // namespace zk
