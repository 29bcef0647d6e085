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

bool EntryTable::append_entry(
    const QString& number, const QString& title, const QString& text, const QString& image)
{
    if (entry_count() >= MaxEntries)
        return false;
    entries.append(Entry { number, title, text, image });
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
    for (int j = entry_count() - 1; j >= t; --j) {
        Entry& to = entries[j];
        const Entry& from = entries.at(j - 1);
        to.title = from.title;
        to.text = from.text;
        to.image = from.image;
    }
    Entry& emptied = entries[t - 1];
    emptied.title.clear();
    emptied.text.clear();
    emptied.image.clear();
}

void EntryTable::take_out(int t)
{
    Q_ASSERT(t >= 1 && t <= entry_count());
    for (int j = t; j < entry_count(); ++j) {
        Entry& to = entries[j - 1];
        const Entry& from = entries.at(j);
        to.title = from.title;
        to.text = from.text;
        to.image = from.image;
    }
    Entry& emptied = entries.last();
    emptied.title.clear();
    emptied.text.clear();
    emptied.image.clear();
}

QString number_text(qint64 n)
{
    // The place before the digits holds the sign; a positive number leaves it blank.
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

} // namespace zk
