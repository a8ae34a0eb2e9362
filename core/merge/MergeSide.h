#pragma once

#include "grid/PackedRow.h"

#include <functional>

// One of the three registers a merge reads, entry by entry: the register as
// this desk last loaded or saved it, the grid, or the file another desk
// wrote. A function reads an entry, so that a grid, a snapshot of one and a
// file read into a model are read alike, without a copy. Only the columns
// the file holds count.
struct MergeSide {
    int count = 0;
    std::function<RowView(int)> entry;

    // A checksum of an entry's saved columns, alike for alike texts
    // whatever their form.
    quint64 key(int entry) const;
    // Whether two entries hold the same texts in every saved column.
    static bool sameEntry(RowView a, RowView b);
    // Whether two rows are the same bytes: the same texts, quickly.
    static bool sameBytes(RowView a, RowView b);
    static bool sameCell(RowView a, RowView b, int column);
};
