#pragma once

#include <QStringView>

namespace zk {

// The characters a delivery may carry: half-width ASCII and JIS X 0208, as
// Shift_JIS writes them. Everything else is refused: machine-dependent
// characters (the NEC row 13 such as ① ㈱ Ⅲ, the NEC-selected and IBM
// extensions, user-defined characters), half-width katakana (JIS X 0201, which
// the delivery rules exclude along with the other machine-dependent forms) and
// whatever Shift_JIS cannot hold at all.
class JisText
{
public:
    // The index of the first character outside that set, or -1.
    static qsizetype first_outside(QStringView text);
    // The length in half-width units: a full-width character counts 2.
    static qsizetype units(QStringView text);
};

} // namespace zk
