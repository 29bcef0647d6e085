#include "naturalorder.h"

namespace zk {

namespace {

bool isDigit(QChar c)
{
    return c.digitValue() >= 0 && c.digitValue() <= 9;
}

} // namespace

int natural_compare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    // Differences that only decide when nothing else does.
    int zerosTie = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype ai = i;
            qsizetype bj = j;
            while (ai < a.size() && a[ai].digitValue() == 0)
                ++ai;
            while (bj < b.size() && b[bj].digitValue() == 0)
                ++bj;
            qsizetype aEnd = ai;
            qsizetype bEnd = bj;
            while (aEnd < a.size() && isDigit(a[aEnd]))
                ++aEnd;
            while (bEnd < b.size() && isDigit(b[bEnd]))
                ++bEnd;
            // More significant digits: a larger number, however long.
            if (aEnd - ai != bEnd - bj)
                return aEnd - ai < bEnd - bj ? -1 : 1;
            for (qsizetype k = 0; k < aEnd - ai; ++k) {
                const int da = a[ai + k].digitValue();
                const int db = b[bj + k].digitValue();
                if (da != db)
                    return da < db ? -1 : 1;
            }
            // P02 after P2: the shorter writing of the same number first.
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
    return a.compare(b, Qt::CaseSensitive) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace zk
