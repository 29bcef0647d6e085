#pragma once

#include "model/coverdata.h"
#include "model/entrytable.h"

namespace zk {

// One album: its cover data and its entries.
struct Document
{
    CoverData cover;
    EntryTable entries;
};

} // namespace zk
