#pragma once

#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <vector>

// A view's geometry in twips: the header's height and the one height every
// entry row shares, the columns' widths (the model's, read where they are),
// the size of the scrolling area and the first row and column shown in it;
// and what follows from them alone: which cell is under a point, where a
// cell stands, how far the view can scroll. Rows are the view's. Nothing here
// knows texts or the current cell, and nothing here signals: the setters
// answer whether anything changed, and the owner tells the widget.
class GridGeometry {
public:
    static constexpr int fixedRows = 1;

    explicit GridGeometry(const std::vector<int>& colWidths);

    int rowCount() const { return rowCount_; }
    int colCount() const { return static_cast<int>(colWidths_.size()); }
    void setRowCount(int count) { rowCount_ = count; }

    // Sizes; 0 outside the grid. A negative size is refused. Row 0's height
    // is the header's; any other row's is that of every entry row.
    int colWidth(int col) const;
    int rowHeight(int row) const;
    bool setRowHeight(int row, int twips);
    void setDefaultRowHeight(int twips) { defaultRowHeight_ = twips; }

    // Scrolling: the first non-fixed row and the first column on screen.
    int topRow() const { return topRow_; }
    int leftCol() const { return leftCol_; }
    bool setTopRow(int row);
    bool setLeftCol(int col);
    int maxTopRow() const;
    int maxLeftCol() const;
    bool scrollIntoView(int row, int col);
    void setViewport(QSize twips) { viewport_ = twips; }
    // After a change of shape, sizes or viewport: keeps the first row and
    // column on screen within reach.
    void clampScroll();

    // Positions relative to the grid's top-left corner, scrolling included;
    // -1 where no cell is.
    int rowTop(int row) const;
    int colLeft(int col) const;
    int rowAt(int yTwips) const;
    int colAt(int xTwips) const;
    QRect cellRect(int row, int col) const;

private:
    // How many entry rows the scrolling area holds whole, at least one.
    int rowsOnScreen() const;
    int entryHeight() const { return entryHeight_ > 0 ? entryHeight_ : defaultRowHeight_; }

    const std::vector<int>& colWidths_;
    int rowCount_ = 2;
    int headerHeight_ = 0; // 0 stands for the default height
    int entryHeight_ = 0;
    int defaultRowHeight_ = 240;
    QSize viewport_;
    int topRow_ = fixedRows;
    int leftCol_ = 0;
};
