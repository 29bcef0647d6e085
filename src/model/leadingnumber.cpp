#include "leadingnumber.h"

namespace zk {

double leading_number(QStringView s)
{
    const auto isDigit = [&s](qsizetype i) {
        return i < s.size() && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9');
    };
    qsizetype i = 0;
    while (i < s.size() && (s.at(i) == QLatin1Char(' ') || s.at(i) == QLatin1Char('\t')))
        ++i;
    double sign = 1;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-'))) {
        sign = s.at(i) == QLatin1Char('-') ? -1 : 1;
        ++i;
    }
    double value = 0;
    for (; isDigit(i); ++i)
        value = value * 10 + (s.at(i).unicode() - '0');
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        double scale = 0.1;
        for (++i; isDigit(i); ++i, scale /= 10)
            value += (s.at(i).unicode() - '0') * scale;
    }
    return sign * value;
}

} // namespace zk
