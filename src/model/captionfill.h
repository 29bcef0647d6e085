#pragma once

#include "model/entrycontent.h"
#include "model/entrytable.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace zk {

// Filling captions without typing them: numbering patterns for many entries
// at once, the caption of the previous entry, and the titles an album uses.

// A caption pattern with its number: "{n}" stands for the number and
// "{n:3}" for the number with at least three digits (007); every other
// character, other braces included, stands for itself.
QString expand_numbering(const QString& pattern, qint64 n);

// What 一括入力 sets: an unset field is left as it is in every entry.
struct BulkCaption
{
    std::optional<QString> title;
    std::optional<QString> text;
    qint64 start = 1; // the number of the first entry
    qint64 step = 1; // added for each following entry
};

// The new contents of the given entries (in position order, each numbered
// start, start + step, ...); only entries that change are in the result.
QMap<int, EntryContent> bulk_caption_contents(
    const EntryTable& entries, const QList<int>& positions, const BulkCaption& caption);

// Entry `position` with the title and text of the entry before it and its
// own photo and information; nothing for entry 1, which has no entry before it.
std::optional<EntryContent> previous_caption(const EntryTable& entries, int position);

// The titles the album uses, each once, most used first; equally used ones
// in the order they first appear.
QStringList titles_by_use(const EntryTable& entries);

// What the phrase picker offers: the user's phrases in their order, then the
// album's titles most used first, none twice.
QStringList phrase_choices(const QStringList& phrases, const EntryTable& entries);

} // namespace zk
