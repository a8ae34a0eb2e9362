#include "grid/FlexGrid.h"

#include "grid/GenericOrder.h"
#include "grid/Twips.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <utility>

FlexGrid::FlexGrid(QObject* parent)
    : QObject(parent)
    , alignments_(2, Qt::AlignLeft)
    , geometry_(2, 2)
{
    rows_.resize(2);
    setFont(font_);
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
    if (count < FixedRows || count > maxRows)
        return false;
    if (count != Rows()) {
        note({.kind = GridChange::Kind::SetRows, .a = count});
        ++revision_;
    }
    rows_.resize(static_cast<size_t>(count));
    geometry_.setRowCount(count);
    keepInside();
    emit contentChanged();
    return true;
}

bool FlexGrid::setCols(int count)
{
    if (count < 1 || count > maxCols)
        return false;
    if (count != Cols()) {
        note({.kind = GridChange::Kind::SetCols, .a = count});
        ++revision_;
    }
    if (count < Cols()) {
        for (size_t r = 0; r < rows_.size(); ++r) {
            PackedRow row(rows_.row(r));
            row.truncate(count);
            rows_.set(r, row.view());
        }
    }
    alignments_.resize(static_cast<size_t>(count), Qt::AlignLeft);
    geometry_.setColCount(count);
    keepInside();
    emit placeChanged();
    emit contentChanged();
    return true;
}

bool FlexGrid::AddItem(const QString& text)
{
    if (Rows() >= maxRows)
        return false;
    note({.kind = GridChange::Kind::AddItem, .text = text});
    ++revision_;
    rows_.append(RowView());
    if (!text.isEmpty())
        storeCell(Rows() - 1, 0, text);
    geometry_.setRowCount(Rows());
    emit contentChanged();
    return true;
}

bool FlexGrid::RemoveItem(int row)
{
    // The header row stays, and so does the last entry row.
    if (row < FixedRows || row >= Rows() || Rows() <= FixedRows + 1)
        return false;
    note({.kind = GridChange::Kind::RemoveItem, .a = row});
    ++revision_;
    rows_.erase(size_t(row));
    geometry_.removeRow(row);
    if (row_ > row)
        --row_;
    if (rowSel_ > row)
        --rowSel_;
    keepInside();
    emit contentChanged();
    return true;
}

bool FlexGrid::insertRow(int row, const PackedRow& cells)
{
    if (row < FixedRows || row > Rows() || Rows() >= maxRows)
        return false;
    note({.kind = GridChange::Kind::InsertRow, .a = row, .cells = &cells});
    ++revision_;
    rows_.insert(size_t(row), RowView());
    storeRow(row, cells);
    geometry_.insertRow(row);
    emit contentChanged();
    return true;
}

PackedRow FlexGrid::rowCells(int row) const
{
    if (row < 0 || row >= Rows())
        return {};
    return PackedRow(rows_.row(size_t(row)));
}

bool FlexGrid::setColPosition(int index, int position)
{
    if (index < 0 || index >= Cols() || position < 0 || position >= Cols())
        return false;
    if (index == position)
        return true;
    note({.kind = GridChange::Kind::SetColPosition, .a = index, .b = position});
    ++revision_;
    for (size_t r = 0; r < rows_.size(); ++r) {
        PackedRow row(rows_.row(r));
        row.moveCell(index, position);
        rows_.set(r, row.view());
    }
    const Qt::Alignment moved = alignments_[static_cast<size_t>(index)];
    alignments_.erase(alignments_.begin() + index);
    alignments_.insert(alignments_.begin() + position, moved);
    geometry_.moveColumn(index, position);
    emit placeChanged();
    emit contentChanged();
    return true;
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
    emit contentChanged();
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
    emit contentChanged();
    return true;
}

bool FlexGrid::setColSel(int col)
{
    if (col < 0 || col >= Cols())
        return false;
    colSel_ = col;
    emit contentChanged();
    return true;
}

QString FlexGrid::Text() const
{
    return TextMatrix(row_, col_);
}

void FlexGrid::setText(const QString& text)
{
    setTextMatrix(row_, col_, text);
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return cellText(row, col).toString();
}

CellText FlexGrid::cellText(int row, int col) const
{
    if (!validCell(row, col))
        return {};
    return rows_.row(size_t(row)).cell(col);
}

RowView FlexGrid::rowView(int row) const
{
    if (row < 0 || row >= Rows())
        return {};
    return rows_.row(size_t(row));
}

bool FlexGrid::storeCell(int row, int col, CellText text)
{
    if (rows_.row(size_t(row)).cell(col) == text)
        return false; // compared in place: a pass that changes nothing copies no row
    replaceCell(row, col, text);
    return true;
}

void FlexGrid::replaceCell(int row, int col, CellText text)
{
    edited_.assign(rows_.row(size_t(row)));
    edited_.setCell(col, text);
    rows_.set(size_t(row), edited_.view());
}

void FlexGrid::storeRow(int row, const PackedRow& cells)
{
    if (cells.cellCount() <= Cols()) {
        rows_.set(size_t(row), cells.view());
        return;
    }
    PackedRow kept = cells;
    kept.truncate(Cols());
    rows_.set(size_t(row), kept.view());
}

bool FlexGrid::setTextMatrix(int row, int col, CellText text)
{
    if (!validCell(row, col))
        return false;
    if (rows_.row(size_t(row)).cell(col) == text)
        return true; // no change: a pass that rewrites equal dates leaves the grid as saved
    note({.kind = GridChange::Kind::SetText, .a = row, .b = col, .text = text});
    ++revision_;
    replaceCell(row, col, text);
    emit contentChanged();
    return true;
}

bool FlexGrid::setRowCells(int row, const PackedRow& cells)
{
    if (row < 0 || row >= Rows())
        return false;
    note({.kind = GridChange::Kind::SetRowCells, .a = row, .cells = &cells});
    ++revision_;
    storeRow(row, cells);
    emit contentChanged();
    return true;
}

GridSnapshot FlexGrid::snapshot() const
{
    GridSnapshot snapshot;
    for (int c = 0; c < Cols(); ++c)
        snapshot.widths.push_back(ColWidth(c));
    snapshot.alignments = alignments_;
    snapshot.rows = rows_.snapshot();
    return snapshot;
}

int FlexGrid::measuredWidth(const QString& caption) const
{
    const QFontMetricsF metrics(font_);
    const int pixels = static_cast<int>(std::ceil(metrics.horizontalAdvance(caption)));
    return Twips::fromPixels(pixels) + 2 * textMargin;
}

void FlexGrid::setFormatString(const QString& format)
{
    // Anything after a ';' would describe row captions, which the program never uses.
    const QStringList captions = format.section(u';', 0, 0).split(u'|').mid(0, maxCols);
    note({.kind = GridChange::Kind::SetFormatString, .format = format});
    if (Cols() < captions.size()) {
        GridRecorder* const recorder = std::exchange(recorder_, nullptr); // part of this change
        setCols(static_cast<int>(captions.size()));
        recorder_ = recorder;
    }
    ++revision_;
    for (int c = 0; c < captions.size(); ++c) {
        QString caption = captions[c];
        Qt::Alignment alignment = Qt::AlignLeft;
        if (caption.startsWith(u'^'))
            alignment = Qt::AlignHCenter;
        else if (caption.startsWith(u'>'))
            alignment = Qt::AlignRight;
        if (alignment != Qt::AlignLeft || caption.startsWith(u'<'))
            caption.remove(0, 1);
        alignments_[static_cast<size_t>(c)] = alignment;
        geometry_.setColWidth(c, measuredWidth(caption));
        storeCell(0, c, caption);
    }
    keepInside();
    emit placeChanged();
    emit contentChanged();
}

Qt::Alignment FlexGrid::ColAlignment(int col) const
{
    if (col < 0 || col >= Cols())
        return Qt::AlignLeft;
    return alignments_[static_cast<size_t>(col)];
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= Cols())
        return;
    note({.kind = GridChange::Kind::SetColAlignment, .a = col, .b = int(alignment)});
    alignments_[static_cast<size_t>(col)] = alignment;
    emit contentChanged();
}

std::pair<int, std::vector<quint32>> FlexGrid::setSort(int mode)
{
    if (mode != 1 || Rows() <= FixedRows + 1)
        return {FixedRows, {}};
    int first = FixedRows;
    int last = Rows() - 1;
    if (row_ != rowSel_) {
        first = std::max(FixedRows, std::min(row_, rowSel_));
        last = std::max(row_, rowSel_);
    }
    const int keyFirst = std::min(col_, colSel_);
    const int keyLast = std::max(col_, colSel_);

    const int keyCount = keyLast - keyFirst + 1;
    std::vector<quint32> order = GenericOrder::stableOrder(
        static_cast<size_t>(last - first + 1), keyCount,
        [&](size_t slot) {
            return cellText(first + int(slot / size_t(keyCount)), keyFirst + int(slot % size_t(keyCount)));
        },
        dateReader_);
    permuteRows(first, order);
    return {first, std::move(order)};
}

void FlexGrid::permuteRows(int first, const std::vector<quint32>& order)
{
    note({.kind = GridChange::Kind::PermuteRows, .a = first, .order = &order});
    ++revision_;
    rows_.permute(size_t(first), order);
    geometry_.reorderRows(first, order);
    emit contentChanged();
}

bool FlexGrid::setColWidth(int col, int twips)
{
    if (col >= 0 && col < Cols() && twips >= 0)
        note({.kind = GridChange::Kind::SetColWidth, .a = col, .b = twips});
    if (!geometry_.setColWidth(col, twips))
        return false;
    emit placeChanged();
    emit contentChanged();
    return true;
}

bool FlexGrid::setRowHeight(int row, int twips)
{
    if (!geometry_.setRowHeight(row, twips))
        return false;
    keepInside();
    emit contentChanged();
    return true;
}

void FlexGrid::setFont(const QFont& font)
{
    font_ = font;
    const QFontMetricsF metrics(font_);
    geometry_.setDefaultRowHeight(Twips::fromPixels(static_cast<int>(std::ceil(metrics.height())) + 4));
    emit placeChanged();
    emit contentChanged();
}

void FlexGrid::setTopRow(int row)
{
    if (geometry_.setTopRow(row))
        emit contentChanged();
}

void FlexGrid::setLeftCol(int col)
{
    if (geometry_.setLeftCol(col))
        emit contentChanged();
}

void FlexGrid::scrollIntoView(int row, int col)
{
    if (geometry_.scrollIntoView(row, col))
        emit contentChanged();
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
