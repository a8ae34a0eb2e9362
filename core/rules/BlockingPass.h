#pragma once

#include "grid/CellText.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

class GridModel;

// The blocking-date pass over the register: column 3 of every entry, shown
// or not, from the top, is derived from its column 2, until the first row whose column 2 is
// empty. A row whose column 2 is not a date keeps its column 3.
//
// Between computing a row's date and writing it the pass calls yieldToEvents,
// and anything may run there: another pass, a sort, a load, or a handler that
// removes rows or columns. yieldToEvents answers whether anything could have
// run; when it did, the pass checks the grid's shape again and derives the
// date afresh from whatever entry now stands in that row, so it never writes
// outside the grid nor one entry's date into another.
//
// willWrite, when given, hears of every cell the pass is about to change,
// with its text before and after, so that the change can be undone.
// derivedAlready, when given, names rows known to hold their derived date:
// the pass goes past them (an empty column 2 still ends it).
using PassWrite = std::function<void(int row, int col, CellText before, CellText after)>;
void runBlockingPass(GridModel& grid, const std::function<bool()>& yieldToEvents, const PassWrite& willWrite = {},
    const std::function<bool(int row)>& derivedAlready = {});

// The rule an edit keeps without waiting for the pass: text written into
// col of an entry brings the cell that follows from it (an activation date
// its blocking date), so that nothing saved, printed or marked before the
// next click shows the two apart. Nothing when no cell follows, or it
// already holds that text.
struct FollowingCell {
    int col;
    QString text;
};
std::optional<FollowingCell> cellFollowing(const GridModel& grid, int modelRow, int col, QStringView text);
