#include "editing/GridOperations.h"

#include "grid/FlexGrid.h"

namespace GridOperations {

void addRow(FlexGrid& grid)
{
    grid.AddItem(QString());
}

bool deleteRow(FlexGrid& grid, int row)
{
    return grid.RemoveItem(row);
}

void insertColumn(FlexGrid& grid, int at)
{
    grid.setCols(grid.Cols() + 1);
    grid.setColPosition(grid.Cols() - 1, at);
}

bool deleteLastColumn(FlexGrid& grid)
{
    if (grid.Cols() <= 1)
        return false;
    return grid.setCols(grid.Cols() - 1);
}

bool moveLastColumn(FlexGrid& grid, int to)
{
    return to != grid.Cols() - 1 && grid.setColPosition(grid.Cols() - 1, to);
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
