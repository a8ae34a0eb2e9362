#include "grid/FlexGrid.h"

#include "grid/GenericOrder.h"
#include "grid/Twips.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

FlexGrid::FlexGrid(QObject* parent)
    : QObject(parent)
{
    rows_.resize(2);
    columns_.resize(2);
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
    topRow_ = std::clamp(topRow_, FixedRows, std::max(FixedRows, maxTopRow()));
    leftCol_ = std::clamp(leftCol_, 0, maxLeftCol());
}

bool FlexGrid::setRows(int count)
{
    if (count < FixedRows)
        return false;
    rows_.resize(static_cast<size_t>(count));
    keepInside();
    emit contentChanged();
    return true;
}

bool FlexGrid::setCols(int count)
{
    if (count < 1)
        return false;
    if (count < Cols()) {
        for (GridRow& row : rows_)
            row.cells.truncate(count);
    }
    columns_.resize(static_cast<size_t>(count));
    keepInside();
    emit placeChanged();
    emit contentChanged();
    return true;
}

void FlexGrid::AddItem(const QString& text)
{
    rows_.push_back(GridRow{PackedRow(), 0});
    if (!text.isEmpty())
        rows_.back().cells.setCell(0, text);
    emit contentChanged();
}

bool FlexGrid::RemoveItem(int row)
{
    // The header row stays, and so does the last entry row.
    if (row < FixedRows || row >= Rows() || Rows() <= FixedRows + 1)
        return false;
    rows_.erase(rows_.begin() + row);
    if (row_ > row)
        --row_;
    if (rowSel_ > row)
        --rowSel_;
    keepInside();
    emit contentChanged();
    return true;
}

bool FlexGrid::setColPosition(int index, int position)
{
    if (index < 0 || index >= Cols() || position < 0 || position >= Cols())
        return false;
    if (index == position)
        return true;
    for (GridRow& row : rows_)
        row.cells.moveCell(index, position);
    const Column moved = columns_[static_cast<size_t>(index)];
    columns_.erase(columns_.begin() + index);
    columns_.insert(columns_.begin() + position, moved);
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

QStringView FlexGrid::cellText(int row, int col) const
{
    if (!validCell(row, col))
        return {};
    return rows_[static_cast<size_t>(row)].cells.cell(col);
}

bool FlexGrid::setTextMatrix(int row, int col, QStringView text)
{
    if (!validCell(row, col))
        return false;
    PackedRow& cells = rows_[static_cast<size_t>(row)].cells;
    if (cells.cell(col) == text)
        return true;
    cells.setCell(col, text);
    emit contentChanged();
    return true;
}

bool FlexGrid::setRowCells(int row, PackedRow cells)
{
    if (row < 0 || row >= Rows())
        return false;
    cells.truncate(Cols());
    rows_[static_cast<size_t>(row)].cells = std::move(cells);
    emit contentChanged();
    return true;
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
    const QStringList captions = format.section(u';', 0, 0).split(u'|');
    if (Cols() < captions.size())
        setCols(static_cast<int>(captions.size()));
    for (int c = 0; c < captions.size(); ++c) {
        QString caption = captions[c];
        Qt::Alignment alignment = Qt::AlignLeft;
        if (caption.startsWith(u'^'))
            alignment = Qt::AlignHCenter;
        else if (caption.startsWith(u'>'))
            alignment = Qt::AlignRight;
        if (alignment != Qt::AlignLeft || caption.startsWith(u'<'))
            caption.remove(0, 1);
        Column& column = columns_[static_cast<size_t>(c)];
        column.alignment = alignment;
        column.width = measuredWidth(caption);
        rows_[0].cells.setCell(c, caption);
    }
    keepInside();
    emit placeChanged();
    emit contentChanged();
}

Qt::Alignment FlexGrid::ColAlignment(int col) const
{
    if (col < 0 || col >= Cols())
        return Qt::AlignLeft;
    return columns_[static_cast<size_t>(col)].alignment;
}

void FlexGrid::setSort(int mode)
{
    if (mode != 1 || Rows() <= FixedRows + 1)
        return;
    int first = FixedRows;
    int last = Rows() - 1;
    if (row_ != rowSel_) {
        first = std::max(FixedRows, std::min(row_, rowSel_));
        last = std::max(row_, rowSel_);
    }
    const int keyFirst = std::min(col_, colSel_);
    const int keyLast = std::max(col_, colSel_);

    std::vector<QStringView> keys;
    const int keyCount = keyLast - keyFirst + 1;
    const size_t rowCount = static_cast<size_t>(last - first + 1);
    keys.reserve(rowCount * static_cast<size_t>(keyCount));
    for (int r = first; r <= last; ++r)
        for (int c = keyFirst; c <= keyLast; ++c)
            keys.push_back(cellText(r, c));

    const std::vector<size_t> order = GenericOrder::stableOrder(keys, keyCount);
    std::vector<GridRow> sorted;
    sorted.reserve(rowCount);
    for (size_t index : order)
        sorted.push_back(std::move(rows_[static_cast<size_t>(first) + index]));
    std::move(sorted.begin(), sorted.end(), rows_.begin() + first);
    emit contentChanged();
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= Cols())
        return 0;
    return columns_[static_cast<size_t>(col)].width;
}

bool FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= Cols() || twips < 0)
        return false;
    columns_[static_cast<size_t>(col)].width = twips;
    emit placeChanged();
    emit contentChanged();
    return true;
}

int FlexGrid::RowHeight(int row) const
{
    if (row < 0 || row >= Rows())
        return 0;
    const int height = rows_[static_cast<size_t>(row)].height;
    return height > 0 ? height : defaultRowHeight_;
}

bool FlexGrid::setRowHeight(int row, int twips)
{
    if (row < 0 || row >= Rows() || twips < 0)
        return false;
    // A height of 0 stands for the default; keep a hidden row one twip high.
    rows_[static_cast<size_t>(row)].height = std::max(twips, 1);
    keepInside();
    emit contentChanged();
    return true;
}

void FlexGrid::setFont(const QFont& font)
{
    font_ = font;
    const QFontMetricsF metrics(font_);
    defaultRowHeight_ = Twips::fromPixels(static_cast<int>(std::ceil(metrics.height())) + 4);
    emit placeChanged();
    emit contentChanged();
}
