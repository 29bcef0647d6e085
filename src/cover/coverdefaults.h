#pragma once

#include "model/coverdata.h"
#include "model/preferences.h"

#include <QDate>

namespace zk {

class CorpIni;

// The cover data of a new album on the given day: years of the era (平成:
// year − 1988, 令和: year − 2018), this month and day, and the four company
// defaults.
CoverData cover_defaults(const QDate& today, const CorpIni& corp, Era era = Era::Heisei);

} // namespace zk
