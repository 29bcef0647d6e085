#include "naturalorder.h"

namespace zk {

namespace {

// Decimal digits of any script (ASCII, full-width, Arabic-Indic, ...), by
// their value. Superscripts and circled numbers are not decimal digits and
// sort as other characters.
bool isDigit(QChar c)
{
    return c.isDigit();
}

qsizetype digitRunEnd(QStringView s, qsizetype from)
{
    while (from < s.size() && isDigit(s[from]))
        ++from;
    return from;
}

qsizetype firstNonZero(QStringView s, qsizetype from, qsizetype end)
{
    while (from < end && s[from].digitValue() == 0)
        ++from;
    return from;
}

} // namespace

// The names are read as a row of parts, each a run of digits or a single
// other character, and compared part by part: two digit runs by value, a
// digit run before any other character, two other characters without regard
// to case. Each part compares by one fixed rule against every other part, so
// the order is a strict weak ordering and std::sort may rely on it.
int natural_compare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    // Leading zeros decide only when nothing else does: P2 before P02.
    int zerosTie = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = isDigit(a[i]);
        const bool db = isDigit(b[j]);
        if (da != db)
            return da ? -1 : 1;
        if (da) {
            const qsizetype aEnd = digitRunEnd(a, i);
            const qsizetype bEnd = digitRunEnd(b, j);
            const qsizetype ai = firstNonZero(a, i, aEnd);
            const qsizetype bj = firstNonZero(b, j, bEnd);
            // More significant digits: a larger number, however long.
            if (aEnd - ai != bEnd - bj)
                return aEnd - ai < bEnd - bj ? -1 : 1;
            for (qsizetype k = 0; k < aEnd - ai; ++k) {
                const int va = a[ai + k].digitValue();
                const int vb = b[bj + k].digitValue();
                if (va != vb)
                    return va < vb ? -1 : 1;
            }
            if (zerosTie == 0 && aEnd - i != bEnd - j)
                zerosTie = aEnd - i < bEnd - j ? -1 : 1;
            i = aEnd;
            j = bEnd;
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    if (zerosTie != 0)
        return zerosTie;
    // Same parts, same zeros: case and the kind of digits give a fixed order.
    const int exact = a.compare(b, Qt::CaseSensitive);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

} // namespace zk
