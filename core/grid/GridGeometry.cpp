#include "grid/GridGeometry.h"

#include <algorithm>

GridGeometry::GridGeometry(const std::vector<int>& colWidths)
    : colWidths_(colWidths)
{
}

int GridGeometry::colWidth(int col) const
{
    if (col < 0 || col >= colCount())
        return 0;
    return colWidths_[static_cast<size_t>(col)];
}

int GridGeometry::rowHeight(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    if (row == 0)
        return headerHeight_ > 0 ? headerHeight_ : defaultRowHeight_;
    return entryHeight();
}

bool GridGeometry::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= rowCount() || twips < 0)
        return false;
    // A height of 0 stands for the default; keep a hidden row one twip high.
    (row == 0 ? headerHeight_ : entryHeight_) = std::max(twips, 1);
    return true;
}

int GridGeometry::rowsOnScreen() const
{
    return std::max(1, (viewport_.height() - rowHeight(0)) / std::max(1, entryHeight()));
}

int GridGeometry::maxTopRow() const
{
    // The last row sits at the bottom of the scrolling area, as far as it goes.
    return std::max(fixedRows, rowCount() - rowsOnScreen());
}

int GridGeometry::maxLeftCol() const
{
    int left = colCount() - 1;
    int used = colWidth(left);
    while (left > 0 && used + colWidth(left - 1) <= viewport_.width()) {
        --left;
        used += colWidth(left);
    }
    return std::max(left, 0);
}

bool GridGeometry::setTopRow(int row)
{
    const int top = std::clamp(row, fixedRows, maxTopRow());
    if (top == topRow_)
        return false;
    topRow_ = top;
    return true;
}

bool GridGeometry::setLeftCol(int col)
{
    const int left = std::clamp(col, 0, maxLeftCol());
    if (left == leftCol_)
        return false;
    leftCol_ = left;
    return true;
}

void GridGeometry::clampScroll()
{
    topRow_ = std::clamp(topRow_, fixedRows, maxTopRow());
    leftCol_ = std::clamp(leftCol_, 0, maxLeftCol());
}

bool GridGeometry::scrollIntoView(int row, int col)
{
    bool moved = false;
    if (row >= fixedRows && row < rowCount()) {
        const int fitting = std::max(0, (viewport_.height() - rowHeight(0)) / std::max(1, entryHeight()));
        const int top = std::max(std::min(topRow_, row), row - std::max(fitting, 1) + 1);
        moved = setTopRow(top);
    }
    if (col >= 0 && col < colCount()) {
        int left = std::min(leftCol_, col);
        int used = 0;
        for (int c = left; c <= col; ++c)
            used += colWidth(c);
        while (used > viewport_.width() && left < col) {
            used -= colWidth(left);
            ++left;
        }
        moved = setLeftCol(left) || moved;
    }
    return moved;
}

int GridGeometry::rowTop(int row) const
{
    if (row < fixedRows)
        return 0;
    return rowHeight(0) + (row - topRow_) * entryHeight();
}

int GridGeometry::colLeft(int col) const
{
    int x = 0;
    if (col >= leftCol_) {
        for (int c = leftCol_; c < col; ++c)
            x += colWidth(c);
    } else {
        for (int c = col; c < leftCol_; ++c)
            x -= colWidth(c);
    }
    return x;
}

int GridGeometry::rowAt(int yTwips) const
{
    if (yTwips < 0)
        return -1;
    if (yTwips < rowHeight(0))
        return rowCount() > 0 ? 0 : -1;
    const int row = topRow_ + (yTwips - rowHeight(0)) / std::max(1, entryHeight());
    if (row >= rowCount() || rowTop(row) > viewport_.height())
        return -1;
    return row;
}

int GridGeometry::colAt(int xTwips) const
{
    if (xTwips < 0)
        return -1;
    int x = 0;
    for (int c = leftCol_; c < colCount() && x <= viewport_.width(); ++c) {
        x += colWidth(c);
        if (xTwips < x)
            return c;
    }
    return -1;
}

QRect GridGeometry::cellRect(int row, int col) const
{
    return QRect(colLeft(col), rowTop(row), colWidth(col), rowHeight(row));
}
