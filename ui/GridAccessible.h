#pragma once

#include <QAccessibleWidget>
#include <QHash>

class FlexGrid;
class GridWidget;

// The grid as assistive technology sees it: a table of the entry rows, with
// the captions as column headers, every cell with its text, and the current
// cell as the focus. Cells are made when asked for, so a register of a
// million entries costs nothing until a screen reader reads it.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(GridWidget* widget);

    // Lets Qt make one for every GridWidget.
    static void install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    // The cell interface of an entry row (1 on) and column, or null.
    QAccessibleInterface* cellFor(int gridRow, int col) const;

    QAccessibleInterface* cellAt(int row, int column) const override;
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { }

    FlexGrid& grid() const;
    QWidget* view() const { return widget(); }

private:
    mutable QHash<quint64, QAccessible::Id> cells_;
};
