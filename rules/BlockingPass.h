#pragma once

#include <functional>

class FlexGrid;

// The blocking-date pass over the grid: column 3 of every entry row from the
// top is derived from its column 2, until the first row whose column 2 is
// empty. A row whose column 2 is not a date keeps its column 3.
//
// Before writing each row the pass calls yieldToEvents, and anything may run
// there: another pass, or a handler that removes rows or columns. The pass
// therefore checks the grid's shape again before every read and write, and
// never writes outside it.
void runBlockingPass(FlexGrid& grid, const std::function<void()>& yieldToEvents);
