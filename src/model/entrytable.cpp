#include "entrytable.h"

namespace zk {

namespace {

QString Entry::*member(EntryField field)
{
    switch (field) {
    case EntryField::Number:
        return &Entry::number;
    case EntryField::Title:
        return &Entry::title;
    case EntryField::Text:
        return &Entry::text;
    case EntryField::Image:
        return &Entry::image;
    }
    Q_UNREACHABLE();
}

// Everything but the number goes from one entry to the other; `from` is
// overwritten or emptied next, so its values are moved, not copied.
void moveContent(Entry& from, Entry& to)
{
    to.title = std::move(from.title);
    to.text = std::move(from.text);
    to.image = std::move(from.image);
    to.info = std::move(from.info);
}

void clearContent(Entry& e)
{
    e.title.clear();
    e.text.clear();
    e.image.clear();
    e.info = {};
}

} // namespace

const QString& EntryTable::get_field(int position, EntryField field) const
{
    Q_ASSERT(position >= 1 && position <= entry_count());
    return entries.at(position - 1).*member(field);
}

void EntryTable::set_field(int position, EntryField field, const QString& value)
{
    Q_ASSERT(position >= 1 && position <= entry_count());
    entries[position - 1].*member(field) = value;
}

void EntryTable::set_content(int position, const EntryContent& content)
{
    Q_ASSERT(position >= 1 && position <= entry_count());
    Entry& e = entries[position - 1];
    e.title = content.title;
    e.text = content.text;
    e.image = content.image;
    e.info = content.info;
}

void EntryTable::set_info(int position, const PhotoInfo& info)
{
    Q_ASSERT(position >= 1 && position <= entry_count());
    entries[position - 1].info = info;
}

void EntryTable::set_info(int position, PhotoInfo&& info)
{
    Q_ASSERT(position >= 1 && position <= entry_count());
    entries[position - 1].info = std::move(info);
}

bool EntryTable::append_entry(
    const QString& number, const QString& title, const QString& text, const QString& image)
{
    if (entry_count() >= MaxEntries)
        return false;
    entries.append(Entry { number, title, text, image, {} });
    return true;
}

void EntryTable::clear_table()
{
    entries.clear();
}

void EntryTable::reset_table()
{
    clear_table();
    for (int i = 1; i <= 3; ++i)
        append_entry(number_text(i), {}, {}, {});
}

bool EntryTable::append_page()
{
    const int n = entry_count();
    if (n + 3 > MaxEntries)
        return false;
    for (int i = 1; i <= 3; ++i)
        append_entry(number_text(n + i), {}, {}, {});
    return true;
}

void EntryTable::truncate(int count)
{
    Q_ASSERT(count >= 0 && count <= entry_count());
    entries.resize(count);
}

void EntryTable::insert_place(int t)
{
    Q_ASSERT(t >= 1 && t <= entry_count());
    for (int j = entry_count() - 1; j >= t; --j)
        moveContent(entries[j - 1], entries[j]);
    clearContent(entries[t - 1]);
}

void EntryTable::take_out(int t)
{
    Q_ASSERT(t >= 1 && t <= entry_count());
    for (int j = t; j < entry_count(); ++j)
        moveContent(entries[j], entries[j - 1]);
    clearContent(entries.last());
}

QString number_text(qint64 n)
{
    // The place before the digits holds the sign; a positive number leaves it blank.
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

} // namespace zk
