#include "grid/GridGeometry.h"

#include <algorithm>

GridGeometry::GridGeometry(int rows, int cols)
    : colWidths_(static_cast<size_t>(cols), defaultColWidth)
    , rowHeights_(static_cast<size_t>(rows), 0)
{
}

void GridGeometry::setRowCount(int count)
{
    rowHeights_.resize(static_cast<size_t>(count), 0);
}

void GridGeometry::setColCount(int count)
{
    colWidths_.resize(static_cast<size_t>(count), defaultColWidth);
}

void GridGeometry::removeRow(int row)
{
    rowHeights_.erase(rowHeights_.begin() + row);
}

void GridGeometry::insertRow(int row)
{
    rowHeights_.insert(rowHeights_.begin() + row, 0);
}

void GridGeometry::moveColumn(int from, int to)
{
    const int width = colWidths_[static_cast<size_t>(from)];
    colWidths_.erase(colWidths_.begin() + from);
    colWidths_.insert(colWidths_.begin() + to, width);
}

void GridGeometry::reorderRows(int first, const std::vector<quint32>& order)
{
    std::vector<int> heights;
    heights.reserve(order.size());
    for (quint32 index : order)
        heights.push_back(rowHeights_[static_cast<size_t>(first) + index]);
    std::copy(heights.begin(), heights.end(), rowHeights_.begin() + first);
}

int GridGeometry::colWidth(int col) const
{
    if (col < 0 || col >= colCount())
        return 0;
    return colWidths_[static_cast<size_t>(col)];
}

bool GridGeometry::setColWidth(int col, int twips)
{
    if (col < 0 || col >= colCount() || twips < 0)
        return false;
    colWidths_[static_cast<size_t>(col)] = twips;
    return true;
}

int GridGeometry::rowHeight(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    const int height = rowHeights_[static_cast<size_t>(row)];
    return height > 0 ? height : defaultRowHeight_;
}

bool GridGeometry::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= rowCount() || twips < 0)
        return false;
    // A height of 0 stands for the default; keep a hidden row one twip high.
    rowHeights_[static_cast<size_t>(row)] = std::max(twips, 1);
    return true;
}

int GridGeometry::maxTopRow() const
{
    // The last row sits at the bottom of the scrolling area, as far as it goes.
    const int available = viewport_.height() - rowHeight(0);
    int top = rowCount() - 1;
    int used = rowHeight(top);
    while (top > fixedRows && used + rowHeight(top - 1) <= available) {
        --top;
        used += rowHeight(top);
    }
    return std::max(top, fixedRows);
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
    const int top = std::clamp(row, fixedRows, std::max(fixedRows, maxTopRow()));
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
    topRow_ = std::clamp(topRow_, fixedRows, std::max(fixedRows, maxTopRow()));
    leftCol_ = std::clamp(leftCol_, 0, maxLeftCol());
}

bool GridGeometry::scrollIntoView(int row, int col)
{
    bool moved = false;
    if (row >= fixedRows && row < rowCount()) {
        int top = std::min(topRow_, row);
        const int available = viewport_.height() - rowHeight(0);
        int used = 0;
        for (int r = top; r <= row; ++r)
            used += rowHeight(r);
        while (used > available && top < row) {
            used -= rowHeight(top);
            ++top;
        }
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
    int y = rowHeight(0);
    if (row >= topRow_) {
        for (int r = topRow_; r < row; ++r)
            y += rowHeight(r);
    } else {
        for (int r = row; r < topRow_; ++r)
            y -= rowHeight(r);
    }
    return y;
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
        return 0;
    int y = rowHeight(0);
    for (int r = topRow_; r < rowCount() && y <= viewport_.height(); ++r) {
        y += rowHeight(r);
        if (yTwips < y)
            return r;
    }
    return -1;
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
