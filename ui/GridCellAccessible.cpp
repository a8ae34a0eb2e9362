#include "ui/GridCellAccessible.h"

#include "grid/FlexGrid.h"
#include "grid/Twips.h"
#include "ui/GridAccessible.h"

#include <QWidget>

GridCellAccessible::GridCellAccessible(const GridAccessible* table, int row, int col)
    : table_(table)
    , row_(row)
    , col_(col)
{
}

bool GridCellAccessible::isValid() const
{
    return table_->isValid() && row_ < table_->rowCount() && col_ < table_->columnCount();
}

QWindow* GridCellAccessible::window() const
{
    return table_->window();
}

QAccessibleInterface* GridCellAccessible::parent() const
{
    return const_cast<GridAccessible*>(table_);
}

QAccessibleInterface* GridCellAccessible::table() const
{
    return parent();
}

QString GridCellAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name && t != QAccessible::Value)
        return {};
    return table_->grid().TextMatrix(row_ + FlexGrid::FixedRows, col_);
}

QRect GridCellAccessible::rect() const
{
    const FlexGrid& grid = table_->grid();
    const QWidget* view = table_->view();
    const int row = row_ + FlexGrid::FixedRows;
    const QRect cell =
        Twips::toPixels(QRect(grid.colLeft(col_), grid.rowTop(row), grid.ColWidth(col_), grid.RowHeight(row)));
    return cell.translated(view->mapToGlobal(QPoint(0, 0)));
}

QAccessible::State GridCellAccessible::state() const
{
    QAccessible::State state;
    state.selectable = true;
    state.focusable = true;
    const FlexGrid& grid = table_->grid();
    if (isSelected()) {
        state.selected = true;
        state.focused = table_->view()->hasFocus();
    }
    if (grid.rowTop(row_ + FlexGrid::FixedRows) < 0)
        state.invisible = true;
    return state;
}

bool GridCellAccessible::isSelected() const
{
    const FlexGrid& grid = table_->grid();
    return grid.Row() == row_ + FlexGrid::FixedRows && grid.Col() == col_;
}

void* GridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}
