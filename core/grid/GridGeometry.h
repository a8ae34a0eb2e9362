#pragma once

#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <vector>

// The grid's geometry in twips: the columns' widths, the rows' heights, the
// size of the scrolling area and the first row and column shown in it; and
// what follows from them alone: which cell is under a point, where a cell
// stands, how far the grid can scroll. FlexGrid owns one and keeps its row
// and column counts equal to its own; nothing here knows texts or the
// current cell, and nothing here signals: the setters answer whether anything
// changed, and the owner tells the view.
class GridGeometry
{
public:
    static constexpr int fixedRows = 1;
    static constexpr int defaultColWidth = 960;

    GridGeometry(int rows, int cols);

    // Shape, in step with the grid's cells. New rows take the default
    // height, new columns the default width.
    int rowCount() const { return static_cast<int>(rowHeights_.size()); }
    int colCount() const { return static_cast<int>(colWidths_.size()); }
    void setRowCount(int count);
    void setColCount(int count);
    void removeRow(int row);
    void insertRow(int row);
    void moveColumn(int from, int to);
    // Rows from `first` on take the heights of the rows that order names,
    // counted from `first`: a sort carries the heights with the rows.
    void reorderRows(int first, const std::vector<quint32>& order);

    // Sizes; 0 outside the grid. A negative size is refused.
    int colWidth(int col) const;
    bool setColWidth(int col, int twips);
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
    std::vector<int> colWidths_;
    std::vector<int> rowHeights_; // 0 stands for the default height
    int defaultRowHeight_ = 240;
    QSize viewport_;
    int topRow_ = fixedRows;
    int leftCol_ = 0;
};
