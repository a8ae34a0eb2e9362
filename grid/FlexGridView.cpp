// The geometry half of FlexGrid: scrolling, cell rectangles, hit tests and the
// user's mouse, key and focus actions that the widget reports.
#include "grid/FlexGrid.h"

#include <algorithm>

int FlexGrid::maxTopRow() const
{
    // The last row sits at the bottom of the scrolling area, as far as it goes.
    const int available = viewport_.height() - RowHeight(0);
    int top = Rows() - 1;
    int used = RowHeight(top);
    while (top > FixedRows && used + RowHeight(top - 1) <= available) {
        --top;
        used += RowHeight(top);
    }
    return std::max(top, FixedRows);
}

int FlexGrid::maxLeftCol() const
{
    int left = Cols() - 1;
    int used = ColWidth(left);
    while (left > 0 && used + ColWidth(left - 1) <= viewport_.width()) {
        --left;
        used += ColWidth(left);
    }
    return std::max(left, 0);
}

void FlexGrid::setTopRow(int row)
{
    const int top = std::clamp(row, FixedRows, std::max(FixedRows, maxTopRow()));
    if (top == topRow_)
        return;
    topRow_ = top;
    emit contentChanged();
}

void FlexGrid::setLeftCol(int col)
{
    const int left = std::clamp(col, 0, maxLeftCol());
    if (left == leftCol_)
        return;
    leftCol_ = left;
    emit contentChanged();
}

void FlexGrid::scrollIntoView(int row, int col)
{
    if (row >= FixedRows && row < Rows()) {
        if (row < topRow_) {
            setTopRow(row);
        } else {
            const int available = viewport_.height() - RowHeight(0);
            int top = topRow_;
            int used = 0;
            for (int r = top; r <= row; ++r)
                used += RowHeight(r);
            while (used > available && top < row) {
                used -= RowHeight(top);
                ++top;
            }
            setTopRow(top);
        }
    }
    if (col >= 0 && col < Cols()) {
        if (col < leftCol_) {
            setLeftCol(col);
        } else {
            int left = leftCol_;
            int used = 0;
            for (int c = left; c <= col; ++c)
                used += ColWidth(c);
            while (used > viewport_.width() && left < col) {
                used -= ColWidth(left);
                ++left;
            }
            setLeftCol(left);
        }
    }
}

int FlexGrid::rowTop(int row) const
{
    if (row < FixedRows)
        return 0;
    int y = RowHeight(0);
    if (row >= topRow_) {
        for (int r = topRow_; r < row; ++r)
            y += RowHeight(r);
    } else {
        for (int r = row; r < topRow_; ++r)
            y -= RowHeight(r);
    }
    return y;
}

int FlexGrid::colLeft(int col) const
{
    int x = 0;
    if (col >= leftCol_) {
        for (int c = leftCol_; c < col; ++c)
            x += ColWidth(c);
    } else {
        for (int c = col; c < leftCol_; ++c)
            x -= ColWidth(c);
    }
    return x;
}

int FlexGrid::rowAt(int yTwips) const
{
    if (yTwips < 0)
        return -1;
    if (yTwips < RowHeight(0))
        return 0;
    int y = RowHeight(0);
    for (int r = topRow_; r < Rows() && y <= viewport_.height(); ++r) {
        y += RowHeight(r);
        if (yTwips < y)
            return r;
    }
    return -1;
}

int FlexGrid::colAt(int xTwips) const
{
    if (xTwips < 0)
        return -1;
    int x = 0;
    for (int c = leftCol_; c < Cols() && x <= viewport_.width(); ++c) {
        x += ColWidth(c);
        if (xTwips < x)
            return c;
    }
    return -1;
}

QRect FlexGrid::currentCellRect()
{
    scrollIntoView(row_, col_);
    return QRect(colLeft(col_), rowTop(row_), ColWidth(col_), RowHeight(row_));
}

void FlexGrid::move(int left, int top)
{
    place_.moveTo(left, top);
    emit placeChanged();
}

bool FlexGrid::setWidth(int twips)
{
    if (twips < 0)
        return false;
    place_.setWidth(twips);
    emit placeChanged();
    return true;
}

bool FlexGrid::setHeight(int twips)
{
    if (twips < 0)
        return false;
    place_.setHeight(twips);
    emit placeChanged();
    return true;
}

void FlexGrid::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    emit placeChanged();
}

void FlexGrid::Refresh()
{
    emit refreshRequested();
}

void FlexGrid::setViewportSize(int widthTwips, int heightTwips)
{
    viewport_ = QSize(widthTwips, heightTwips);
    keepInside();
    emit contentChanged();
}

void FlexGrid::userPress(int row, int col)
{
    if (row < 0 || col < 0 || row >= Rows() || col >= Cols())
        return;
    if (row < FixedRows) {
        // A press on a column's caption selects the whole column.
        if (!changeCurrentCell(std::min(FixedRows, Rows() - 1), col))
            return;
        rowSel_ = Rows() - 1;
        colSel_ = col;
        emit contentChanged();
        return;
    }
    if (!changeCurrentCell(row, col))
        return;
    rowSel_ = row;
    colSel_ = col;
    emit contentChanged();
}

void FlexGrid::userDrag(int row, int col)
{
    if (row >= FixedRows)
        setRowSel(row);
    setColSel(col);
    scrollIntoView(row, col);
}

void FlexGrid::userRelease(int row, int col)
{
    mouseRow_ = row;
    mouseCol_ = col;
    emit MouseUp();
    emit Click();
}

void FlexGrid::userMoveTo(int row, int col)
{
    row = std::clamp(row, std::min(FixedRows, Rows() - 1), Rows() - 1);
    col = std::clamp(col, 0, Cols() - 1);
    if (!changeCurrentCell(row, col))
        return;
    rowSel_ = row_;
    colSel_ = col_;
    scrollIntoView(row_, col_);
    emit contentChanged();
}

void FlexGrid::userFocusIn()
{
    emit GotFocus();
}
