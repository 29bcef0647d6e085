#pragma once

#include "model/coverdata.h"

#include <QDate>

namespace zk {

class CorpIni;

// The cover data of a new album on the given day: era years of 平成
// (year − 1988), this month and day, and the four company defaults.
CoverData cover_defaults(const QDate& today, const CorpIni& corp);

} // namespace zk
