#pragma once

#include "model/entrycontent.h"

#include <QList>
#include <QString>

namespace zk {

// The four fields of an entry, numbered as they are addressed throughout.
enum class EntryField { Number = 1, Title = 2, Text = 3, Image = 4 };

struct Entry
{
    QString number;
    QString title;
    QString text; // line breaks are CR LF
    QString image; // full path, or empty for a slot without photo
    PhotoInfo info; // kept beside the album file, not in it

    // An entry whose title, text, image file and information are all empty.
    bool isEmpty() const
    {
        return title.isEmpty() && text.isEmpty() && image.isEmpty() && info.isEmpty();
    }
    EntryContent content() const { return { title, text, image, info }; }
};

// The ordered store of a document's entries, positions 1..N.
// Every user keeps N a multiple of three; three entries form a page.
class EntryTable
{
public:
    // 10,922 pages of three. Insert and extract address entries with 16-bit
    // positions in stored albums, so the table never grows beyond this.
    static constexpr int MaxEntries = 32766;

    int entry_count() const { return int(entries.size()); }
    const QString& get_field(int position, EntryField field) const;
    void set_field(int position, EntryField field, const QString& value);
    const Entry& entry(int position) const { return entries.at(position - 1); }
    // Sets everything of an entry but its number.
    void set_content(int position, const EntryContent& content);
    void set_info(int position, const PhotoInfo& info);
    void set_info(int position, PhotoInfo&& info);

    // Adds an entry at position N + 1; returns false, and adds nothing, when
    // the table already holds MaxEntries entries.
    bool append_entry(
        const QString& number, const QString& title, const QString& text, const QString& image);
    void clear_table();
    // One page of three empty entries numbered " 1", " 2", " 3".
    void reset_table();

    // Page growth: appends three empty entries numbered after the last page.
    // Returns false and changes nothing when that would pass MaxEntries.
    bool append_page();
    int page_count() const { return entry_count() / 3; }
    // Removes the entries after the first `count` (undoing page growth).
    void truncate(int count);

    // Moves the titles, texts, image files and information of positions t..N-1 one place
    // towards the end and empties position t; the contents of position N are
    // overwritten, so callers make sure it is empty. Numbers never move.
    void insert_place(int t);
    // Moves the contents of positions t+1..N one place towards the front and
    // empties position N; the contents of position t are gone.
    void take_out(int t);

private:
    QList<Entry> entries;
};

// The entry that slot s (0..2) of page p (from 1) shows.
constexpr int entry_index(int page, int slot)
{
    return (page - 1) * 3 + slot + 1;
}

// The page (from 1) and the slot (0..2) that show entry position (from 1).
constexpr int page_of_entry(int position)
{
    return (position - 1) / 3 + 1;
}

constexpr int slot_of_entry(int position)
{
    return (position - 1) % 3;
}

// An entry number as the album writes it: a space, then the digits (" 12").
QString number_text(qint64 n);

} // namespace zk
