#include "captionfill.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace zk {

QString expand_numbering(const QString& pattern, qint64 n)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{n(?::(\\d{1,2}))?\\}"));
    QString out;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = placeholder.globalMatch(pattern);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(pattern).sliced(from, m.capturedStart() - from);
        const int width = m.captured(1).isEmpty() ? 0 : m.captured(1).toInt();
        QString digits = QString::number(n < 0 ? -n : n).rightJustified(width, QLatin1Char('0'));
        if (n < 0)
            digits.prepend(QLatin1Char('-'));
        out += digits;
        from = m.capturedEnd();
    }
    out += QStringView(pattern).sliced(from);
    return out;
}

QMap<int, EntryContent> bulk_caption_contents(
    const EntryTable& entries, const QList<int>& positions, const BulkCaption& caption)
{
    QList<int> sorted = positions;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());

    QMap<int, EntryContent> contents;
    qint64 number = caption.start;
    for (const int position : std::as_const(sorted)) {
        const Entry& e = entries.entry(position);
        EntryContent next = e.content();
        if (caption.title)
            next.title = expand_numbering(*caption.title, number);
        if (caption.text)
            next.text = expand_numbering(*caption.text, number);
        if (next != e.content())
            contents.insert(position, next);
        number += caption.step;
    }
    return contents;
}

std::optional<EntryContent> previous_caption(const EntryTable& entries, int position)
{
    if (position <= 1 || position > entries.entry_count())
        return std::nullopt;
    const Entry& before = entries.entry(position - 1);
    // Only the caption is copied: the photo and its information stay.
    EntryContent next = entries.entry(position).content();
    next.title = before.title;
    next.text = before.text;
    return next;
}

QStringList titles_by_use(const EntryTable& entries)
{
    QStringList titles;
    QHash<QString, int> uses;
    for (int i = 1; i <= entries.entry_count(); ++i) {
        const QString& title = entries.entry(i).title;
        if (title.isEmpty())
            continue;
        if (uses[title]++ == 0)
            titles.append(title);
    }
    std::stable_sort(titles.begin(), titles.end(),
        [&uses](const QString& a, const QString& b) { return uses.value(a) > uses.value(b); });
    return titles;
}

QStringList phrase_choices(const QStringList& phrases, const EntryTable& entries)
{
    QStringList choices = phrases;
    const QStringList titles = titles_by_use(entries);
    for (const QString& title : titles) {
        if (!phrases.contains(title))
            choices.append(title);
    }
    return choices;
}

} // namespace zk
