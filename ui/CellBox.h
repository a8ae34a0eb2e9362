#pragma once

#include <QString>
#include <functional>

class FlexGrid;
class QLineEdit;
class QWidget;

// The text box laid over a grid cell to edit it. Its visibility is the only
// record of a pending edit; a commit puts the edit into whatever cell is
// current then, and settle into the cell the box was opened on.
class CellBox {
public:
    // writeCell puts a committed text into a cell (through the undo stack).
    using WriteCell = std::function<void(int row, int col, const QString& text)>;
    CellBox(FlexGrid& grid, QLineEdit& box, std::function<void()> processEvents, std::function<void()> blockingPass,
        WriteCell writeCell);

    // A click on the grid: fill the box with the current cell's text, lay it
    // over the cell, show it, let pending events run, focus it, then run the
    // blocking pass.
    void open();
    // Writes a shown box into the current cell and hides it.
    void commit();
    // Before the rows or columns move under it: hides a shown box and writes
    // its text into the cell it was opened on, when that text differs.
    void settle();
    // Hides the box; the cell keeps its text.
    void drop();
    bool pending() const;

private:
    FlexGrid& grid_;
    QLineEdit& box_;
    std::function<void()> processEvents_;
    std::function<void()> blockingPass_;
    WriteCell writeCell_;
    int openedRow_ = 0;
    int openedCol_ = 0;
};
