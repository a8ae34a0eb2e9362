#pragma once

#include "editing/GridCommands.h"
#include "grid/PackedRow.h"

#include <utility>
#include <vector>

// Every entry replaced at once by a new list made of the entries that stand
// (kept, with new cells or as they are) and new ones: the grid joined with
// another desk's save. The step keeps only what it changes: the new order,
// the cells of the entries it adds, changes or deletes. It is done in a few
// changes of the model, whatever the grid's size: the new entries written
// after the last, the changed ones rewritten, every entry moved to its place
// at once and the deleted ones, moved last, cut off.
class EntriesCommand : public GridCommand {
public:
    struct Entries {
        // Each entry of the new list: the model row it stands in, 0 for a new one.
        std::vector<int> rows;
        // Where an entry's cells are new: its place in rows and its cells, in order.
        std::vector<std::pair<size_t, PackedRow>> cells;
    };
    EntriesCommand(FlexGrid& grid, const QString& text, Entries entries);
    qsizetype bytes() const override;

private:
    void apply() override;
    void revert() override;
    void release() override;

    struct Changed {
        int row;
        PackedRow before;
        PackedRow after;
    };
    int entriesBefore_ = 0;
    int entriesAfter_ = 0;
    std::vector<PackedRow> added_;
    std::vector<Changed> changed_;
    std::vector<PackedRow> deleted_;
    std::vector<quint32> order_; // empty when every entry keeps its place
};
