#include "editing/GridOperations.h"

#include "grid/FlexGrid.h"

namespace GridOperations {

void addRow(FlexGrid& grid)
{
    grid.AddItem(QString());
}

bool deleteSelectionEndRow(FlexGrid& grid)
{
    return grid.RemoveItem(grid.RowSel());
}

bool canDeleteRow(const FlexGrid& grid, int row)
{
    return row >= FlexGrid::FixedRows && row < grid.Rows() && grid.Rows() > FlexGrid::FixedRows + 1;
}

void insertColumn(FlexGrid& grid)
{
    const int current = grid.Col();
    grid.setCols(grid.Cols() + 1);
    grid.setColPosition(grid.Cols() - 1, current);
}

bool deleteLastColumn(FlexGrid& grid)
{
    if (grid.Cols() <= 1)
        return false;
    return grid.setCols(grid.Cols() - 1);
}

void moveLastColumn(FlexGrid& grid)
{
    grid.setColPosition(grid.Cols() - 1, grid.Col());
}

bool search(FlexGrid& grid, const QString& word)
{
    const int rows = grid.Rows();
    for (int row = 0; row < rows; ++row) {
        const QStringView text = grid.cellText(row, grid.ColSel());
        if (text.isEmpty() || !text.startsWith(word, Qt::CaseInsensitive))
            continue;
        grid.setRow(row);
        grid.setTopRow(row);
        grid.setRowSel(row == rows - 1 ? row - 1 : row + 1);
        return true;
    }
    return false;
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
