#pragma once

#include <QStringView>

namespace zk {

// The number a text starts with, as the album reads page numbers and the
// cover's months and days: leading blanks skipped, an optional sign, decimal
// digits with an optional fraction. Full-width digits, signs, full stop and
// the ideographic space read as their ASCII forms. A text that does not start
// with a number, an empty one included, reads as 0.
double leading_number(QStringView text);

} // namespace zk
