#include "grid/FlexGrid.h"

#include "grid/Twips.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>

FlexGrid::FlexGrid(QObject* parent)
    : QObject(parent)
    , own_(std::make_unique<GridModel>())
    , model_(*own_)
    , geometry_(model_.colWidths())
{
    connectModel();
}

FlexGrid::FlexGrid(GridModel& model, QObject* parent)
    : QObject(parent)
    , model_(model)
    , geometry_(model_.colWidths())
{
    connectModel();
}

FlexGrid::~FlexGrid()
{
    model_.removeTextsWatcher(this);
}

void FlexGrid::connectModel()
{
    geometry_.setRowCount(Rows());
    setFont(font_);
    connect(&model_, &GridModel::rowsInserted, this, &FlexGrid::rowsInserted);
    connect(&model_, &GridModel::rowsRemoved, this, &FlexGrid::rowsRemoved);
    connect(&model_, &GridModel::rowsPermuted, this, &FlexGrid::rowsPermuted);
    connect(&model_, &GridModel::columnsChanged, this, [this] {
        keepInside();
        emit placeChanged();
        noteContent();
    });
    model_.addTextsWatcher(this);
}

int FlexGrid::viewRow(int modelRow) const
{
    if (modelRow < 0 || modelRow >= model_.Rows())
        return -1;
    if (!shown_ || modelRow < FixedRows)
        return modelRow;
    const auto at = std::lower_bound(shown_->begin(), shown_->end(), quint32(modelRow));
    return at != shown_->end() && *at == quint32(modelRow) ? FixedRows + int(at - shown_->begin()) : -1;
}

void FlexGrid::placeCurrentOn(int modelRowOfCurrent, int modelRowOfSel)
{
    geometry_.setRowCount(Rows());
    const int lastRow = Rows() - 1;
    const int current = viewRow(modelRowOfCurrent);
    const int sel = viewRow(modelRowOfSel);
    row_ = current >= 0 ? current : std::min(FixedRows, lastRow);
    rowSel_ = sel >= 0 ? sel : row_;
    geometry_.setTopRow(FixedRows);
    geometry_.scrollIntoView(row_, col_);
    keepInside();
    emit shownChanged();
    noteContent();
}

void FlexGrid::showRows(std::vector<quint32> modelRows)
{
    const int current = modelRow(row_);
    const int sel = modelRow(rowSel_);
    shown_ = std::move(modelRows);
    placeCurrentOn(current, sel);
}

void FlexGrid::showAll()
{
    if (!shown_)
        return;
    const int current = modelRow(row_);
    const int sel = modelRow(rowSel_);
    shown_.reset();
    placeCurrentOn(current, sel);
}

void FlexGrid::rowsInserted(int first, int count)
{
    if (shown_) {
        // Rows that come into the model come into view: an entry added at
        // the end, a deleted one put back.
        auto at = std::lower_bound(shown_->begin(), shown_->end(), quint32(first));
        for (auto later = at; later != shown_->end(); ++later)
            *later += quint32(count);
        std::vector<quint32> added;
        for (int r = std::max(first, FixedRows); r < first + count; ++r)
            added.push_back(quint32(r));
        shown_->insert(at, added.begin(), added.end());
    }
    // More rows leave the current cell and the scrolling within reach: a
    // load appends a million rows one by one.
    geometry_.setRowCount(Rows());
    noteContent();
}

void FlexGrid::rowsRemoved(int first, int count)
{
    // The rows shown of those removed, as the view counts them.
    int viewFirst = first;
    int viewEnd = first + count;
    if (shown_) {
        const auto from = std::lower_bound(shown_->begin(), shown_->end(), quint32(first));
        const auto to = std::lower_bound(from, shown_->end(), quint32(first + count));
        viewFirst = FixedRows + int(from - shown_->begin());
        viewEnd = FixedRows + int(to - shown_->begin());
        for (auto later = to; later != shown_->end(); ++later)
            *later -= quint32(count);
        shown_->erase(from, to);
    }
    for (int* row : {&row_, &rowSel_}) {
        if (*row >= viewEnd)
            *row -= viewEnd - viewFirst;
        else if (*row > viewFirst)
            *row = viewFirst;
    }
    geometry_.setRowCount(Rows());
    keepInside();
    noteContent();
}

void FlexGrid::rowsPermuted(int first, const std::vector<quint32>& order)
{
    if (shown_) {
        // The same entries stay shown, wherever the order took them.
        std::vector<quint32> placeOf(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            placeOf[order[i]] = quint32(i);
        for (quint32& row : *shown_)
            if (row >= quint32(first) && row - quint32(first) < order.size())
                row = quint32(first) + placeOf[row - quint32(first)];
        std::sort(shown_->begin(), shown_->end());
    }
    noteContent();
}

bool FlexGrid::validCell(int row, int col) const
{
    return row >= 0 && row < Rows() && col >= 0 && col < Cols();
}

void FlexGrid::keepInside()
{
    const int lastRow = Rows() - 1;
    const int lastCol = Cols() - 1;
    row_ = std::min(row_, lastRow);
    rowSel_ = std::min(rowSel_, lastRow);
    col_ = std::min(col_, lastCol);
    colSel_ = std::min(colSel_, lastCol);
    geometry_.clampScroll();
}

bool FlexGrid::setRows(int count)
{
    if (!shown_)
        return model_.setRows(count);
    if (count < FixedRows || count > maxRows)
        return false;
    // Rows appended at the end of the model are shown; rows dropped are
    // the last shown.
    if (count > Rows())
        return model_.setRows(model_.Rows() + count - Rows());
    while (Rows() > count && Rows() > FixedRows) {
        const int last = modelRow(Rows() - 1);
        if (last == model_.Rows() - 1) {
            model_.setRows(last);
        } else if (!model_.RemoveItem(last)) {
            return false;
        }
    }
    return true;
}

bool FlexGrid::RemoveItem(int row)
{
    if (row < FixedRows || row >= Rows())
        return false;
    return model_.RemoveItem(modelRow(row));
}

bool FlexGrid::insertRow(int row, const PackedRow& cells)
{
    if (row < FixedRows || row > Rows())
        return false;
    const int at = row < Rows() ? modelRow(row) : (Rows() > FixedRows ? modelRow(Rows() - 1) + 1 : FixedRows);
    return model_.insertRow(at, cells);
}

bool FlexGrid::changeCurrentCell(int row, int col)
{
    if (!validCell(row, col))
        return false;
    if (row == row_ && col == col_)
        return true;
    emit LeaveCell();
    // A LeaveCell handler may have changed the shape of the grid.
    if (!validCell(row, col))
        return false;
    row_ = row;
    col_ = col;
    noteContent();
    return true;
}

bool FlexGrid::setRow(int row)
{
    if (!changeCurrentCell(row, col_))
        return false;
    rowSel_ = row_;
    return true;
}

bool FlexGrid::setCol(int col)
{
    if (!changeCurrentCell(row_, col))
        return false;
    colSel_ = col_;
    return true;
}

bool FlexGrid::setRowSel(int row)
{
    if (row < 0 || row >= Rows())
        return false;
    rowSel_ = row;
    noteContent();
    return true;
}

bool FlexGrid::setColSel(int col)
{
    if (col < 0 || col >= Cols())
        return false;
    colSel_ = col;
    noteContent();
    return true;
}

void FlexGrid::setFormatString(const QString& format)
{
    model_.setFormatString(format, font_);
}

std::pair<int, std::vector<quint32>> FlexGrid::setSort(int mode)
{
    if (mode != 1)
        return {FixedRows, {}};
    int first = FixedRows;
    int last = model_.Rows() - 1;
    if (row_ != rowSel_ && !shown_) {
        first = std::max(FixedRows, std::min(row_, rowSel_));
        last = std::max(row_, rowSel_);
    }
    return {first, model_.sort(first, last, std::min(col_, colSel_), std::max(col_, colSel_))};
}

bool FlexGrid::setRowHeight(int row, int twips)
{
    if (!geometry_.setRowHeight(row, twips))
        return false;
    keepInside();
    noteContent();
    return true;
}

void FlexGrid::setFont(const QFont& font)
{
    font_ = font;
    const QFontMetricsF metrics(font_);
    geometry_.setDefaultRowHeight(Twips::fromPixels(static_cast<int>(std::ceil(metrics.height())) + 4));
    emit placeChanged();
    noteContent();
}

void FlexGrid::setTopRow(int row)
{
    if (geometry_.setTopRow(row))
        noteContent();
}

void FlexGrid::setLeftCol(int col)
{
    if (geometry_.setLeftCol(col))
        noteContent();
}

void FlexGrid::scrollIntoView(int row, int col)
{
    if (geometry_.scrollIntoView(row, col))
        noteContent();
}

QRect FlexGrid::currentCellRect()
{
    scrollIntoView(row_, col_);
    return geometry_.cellRect(row_, col_);
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
    geometry_.setViewport(QSize(widthTwips, heightTwips));
    keepInside();
    noteContent();
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
        noteContent();
        return;
    }
    if (!changeCurrentCell(row, col))
        return;
    rowSel_ = row;
    colSel_ = col;
    noteContent();
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
    noteContent();
}

void FlexGrid::userFocusIn()
{
    emit GotFocus();
}
