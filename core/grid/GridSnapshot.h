#pragma once

#include "grid/RowStore.h"

#include <Qt>
#include <vector>

// A grid's contents at one moment, for a reader on another thread (a work
// log writing its start): the columns' widths and alignments and every
// row, the rows' bytes shared with the grid rather than copied (RowStore).
struct GridSnapshot {
    std::vector<int> widths;
    std::vector<Qt::Alignment> alignments;
    RowStore::Snapshot rows;

    int cols() const { return static_cast<int>(widths.size()); }
};
