#include "editing/GridOperations.h"

#include "grid/CaselessText.h"
#include "grid/FlexGrid.h"

#include <vector>

namespace GridOperations {

bool addRow(FlexGrid& grid)
{
    if (!grid.model().AddItem(QString()))
        return false;
    grid.scrollIntoView(grid.Rows() - 1, grid.Col()); // where the new row went
    return true;
}

bool deleteRow(FlexGrid& grid, int row)
{
    return grid.RemoveItem(row);
}

bool insertColumn(FlexGrid& grid, int at)
{
    return grid.model().setCols(grid.Cols() + 1) && grid.model().setColPosition(grid.Cols() - 1, at);
}

bool deleteLastColumn(FlexGrid& grid)
{
    if (grid.Cols() <= 1)
        return false;
    return grid.model().setCols(grid.Cols() - 1);
}

bool moveLastColumn(FlexGrid& grid, int to)
{
    return to != grid.Cols() - 1 && grid.model().setColPosition(grid.Cols() - 1, to);
}

std::optional<int> findRow(const FlexGrid& grid, const QString& word, int col, int from, bool wrap)
{
    const int rows = grid.Rows();
    const CaselessText prefix(word);
    const int count = wrap ? rows : rows - from;
    for (int i = 0; i < count; ++i) {
        const int row = (from + i) % rows;
        const CellText text = grid.cellText(row, col);
        if (!text.isEmpty() && prefix.startsWith(text))
            return row;
    }
    return std::nullopt;
}

void showMatch(FlexGrid& grid, int row)
{
    // The found entry alone is selected: « Удалить строку» removes the row
    // where the selection ends, and so removes the unit that was searched
    // for, never its neighbour.
    grid.setRow(row);
    grid.setTopRow(row);
    grid.setRowSel(row);
}

bool search(FlexGrid& grid, const QString& word)
{
    const std::optional<int> row = findRow(grid, word, grid.ColSel(), 0, false);
    if (row)
        showMatch(grid, *row);
    return row.has_value();
}

std::pair<int, std::vector<quint32>> sortByColumn(FlexGrid& grid, int col, const QString& headerFormat)
{
    grid.setVisible(false);
    grid.Refresh();
    grid.setCol(col);
    grid.setColSel(col);
    grid.setRow(0);
    grid.setRowSel(0);
    auto sorted = grid.setSort(1);
    grid.setFormatString(headerFormat);
    grid.setVisible(true);
    return sorted;
}

} // namespace GridOperations
