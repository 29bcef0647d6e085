#pragma once

#include "model/preferences.h"

namespace zk {

class CoverData;
class PrintDevice;

// Draws the album's cover sheet from the fourteen cover fields and ends it
// with a page break, leaving the pen at width 1. The first step of every
// album job; reads the cover data and changes nothing. The era names the
// years; the numbers are printed as stored.
void print_cover(PrintDevice& device, const CoverData& cover, Era era = Era::Heisei);

} // namespace zk
