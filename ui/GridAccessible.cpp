#include "ui/GridAccessible.h"

#include "grid/FlexGrid.h"
#include "grid/Twips.h"
#include "ui/GridCellAccessible.h"
#include "ui/GridWidget.h"

namespace {

QAccessibleInterface* makeGridAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("GridWidget") && object && object->isWidgetType())
        return new GridAccessible(static_cast<GridWidget*>(object));
    return nullptr;
}

} // namespace

GridAccessible::GridAccessible(GridWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Table)
{
}

void GridAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeGridAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

FlexGrid& GridAccessible::grid() const
{
    return static_cast<GridWidget*>(widget())->grid();
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString GridAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return widget()->accessibleName();
    return QAccessibleWidget::text(t);
}

int GridAccessible::rowCount() const
{
    return std::max(0, grid().Rows() - FlexGrid::FixedRows);
}

int GridAccessible::columnCount() const
{
    return grid().Cols();
}

int GridAccessible::childCount() const
{
    return rowCount() * columnCount();
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    const int cols = columnCount();
    if (index < 0 || cols == 0 || index >= childCount())
        return nullptr;
    return cellAt(index / cols, index % cols);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
    return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    const quint64 key = (quint64(quint32(row)) << 32) | quint32(column);
    if (const auto found = cells_.constFind(key); found != cells_.constEnd())
        return QAccessible::accessibleInterface(*found);
    QAccessibleInterface* cell = new GridCellAccessible(this, row, column);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QAccessibleInterface* GridAccessible::cellFor(int gridRow, int col) const
{
    return cellAt(gridRow - FlexGrid::FixedRows, col);
}

QString GridAccessible::columnDescription(int column) const
{
    return grid().TextMatrix(0, column).trimmed();
}

QString GridAccessible::rowDescription(int row) const
{
    return QString::number(row + 1);
}

int GridAccessible::selectedCellCount() const
{
    return int(selectedCells().size());
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const
{
    QList<QAccessibleInterface*> cells;
    if (QAccessibleInterface* current = cellFor(grid().Row(), grid().Col()))
        cells << current;
    return cells;
}
