#pragma once

#include <QStringView>

namespace zk {

// Compares file names as a person reads them: runs of decimal digits (half-
// or full-width, or of any other script) by their value, so that P2 comes
// before P10 and P009 before P10; a run of digits before any other
// character; other characters without regard to case. Names that differ only in leading zeros or case
// still get a fixed order, so a sort never depends on the order of its input.
// Negative, zero or positive as a is before, the same as, or after b.
int natural_compare(QStringView a, QStringView b);

inline bool natural_less(QStringView a, QStringView b)
{
    return natural_compare(a, b) < 0;
}

} // namespace zk
