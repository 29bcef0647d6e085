#include "leadingnumber.h"

namespace zk {

namespace {

// Full-width forms (U+FF01..U+FF5E) sit at a fixed distance from ASCII. The
// cover's date boxes switch the input method on, so "１２" is what a user
// naturally types there.
QChar halfWidth(QChar c)
{
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
        return QChar(char16_t(c.unicode() - 0xFF01 + 0x21));
    if (c.unicode() == 0x3000) // ideographic space
        return QLatin1Char(' ');
    return c;
}

} // namespace

double leading_number(QStringView s)
{
    const auto at = [&s](qsizetype i) { return i < s.size() ? halfWidth(s.at(i)) : QChar(); };
    const auto isDigit
        = [&at](qsizetype i) { return at(i) >= QLatin1Char('0') && at(i) <= QLatin1Char('9'); };
    qsizetype i = 0;
    while (at(i) == QLatin1Char(' ') || at(i) == QLatin1Char('\t'))
        ++i;
    double sign = 1;
    if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-')) {
        sign = at(i) == QLatin1Char('-') ? -1 : 1;
        ++i;
    }
    double value = 0;
    for (; isDigit(i); ++i)
        value = value * 10 + (at(i).unicode() - '0');
    if (at(i) == QLatin1Char('.')) {
        double scale = 0.1;
        for (++i; isDigit(i); ++i, scale /= 10)
            value += (at(i).unicode() - '0') * scale;
    }
    return sign * value;
}

} // namespace zk
