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

QString number_text(qint64 n)
{
    // The place before the digits holds the sign; a positive number leaves it blank.
    return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
}

} // namespace zk
