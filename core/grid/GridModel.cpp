#include "grid/GridModel.h"

#include "grid/Twips.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numeric>

GridModel::GridModel(QObject* parent)
    : QObject(parent)
    , widths_(2, defaultColWidth)
    , alignments_(2, Qt::AlignLeft)
{
    rows_.resize(2);
    numberColumns();
}

void GridModel::numberColumns()
{
    columnKeys_.resize(widths_.size());
    std::iota(columnKeys_.begin(), columnKeys_.end(), 0);
    nextColumnKey_ = Cols();
}

int GridModel::columnWithKey(int key) const
{
    const auto at = std::find(columnKeys_.begin(), columnKeys_.end(), key);
    return at == columnKeys_.end() ? -1 : int(at - columnKeys_.begin());
}

bool GridModel::setRows(int count)
{
    if (count < FixedRows || count > maxRows)
        return false;
    const int before = Rows();
    if (count == before)
        return true;
    note({.kind = GridChange::Kind::SetRows, .a = count});
    ++revision_;
    rows_.resize(static_cast<size_t>(count));
    if (count > before)
        emit rowsInserted(before, count - before);
    else
        emit rowsRemoved(count, before - count);
    return true;
}

bool GridModel::setCols(int count)
{
    if (count < 1 || count > maxCols)
        return false;
    if (count == Cols())
        return true;
    note({.kind = GridChange::Kind::SetCols, .a = count});
    ++revision_;
    if (count < Cols()) {
        for (size_t r = 0; r < rows_.size(); ++r) {
            PackedRow row(rows_.row(r));
            row.truncate(count);
            rows_.set(r, row.view());
        }
    }
    widths_.resize(static_cast<size_t>(count), defaultColWidth);
    alignments_.resize(static_cast<size_t>(count), Qt::AlignLeft);
    while (columnKeys_.size() < size_t(count))
        columnKeys_.push_back(nextColumnKey_++);
    columnKeys_.resize(size_t(count));
    emit columnsChanged();
    return true;
}

bool GridModel::AddItem(const QString& text)
{
    if (Rows() >= maxRows)
        return false;
    note({.kind = GridChange::Kind::AddItem, .text = text});
    ++revision_;
    rows_.append(RowView());
    if (!text.isEmpty())
        replaceCell(Rows() - 1, 0, text);
    emit rowsInserted(Rows() - 1, 1);
    return true;
}

bool GridModel::RemoveItem(int row)
{
    if (row < FixedRows || row >= Rows() || Rows() <= FixedRows + 1)
        return false;
    note({.kind = GridChange::Kind::RemoveItem, .a = row});
    ++revision_;
    rows_.erase(size_t(row));
    emit rowsRemoved(row, 1);
    return true;
}

bool GridModel::insertRow(int row, const PackedRow& cells)
{
    if (row < FixedRows || row > Rows() || Rows() >= maxRows)
        return false;
    note({.kind = GridChange::Kind::InsertRow, .a = row, .cells = &cells});
    ++revision_;
    rows_.insert(size_t(row), RowView());
    storeRow(row, cells);
    emit rowsInserted(row, 1);
    return true;
}

PackedRow GridModel::rowCells(int row) const
{
    if (row < 0 || row >= Rows())
        return {};
    return PackedRow(rows_.row(size_t(row)));
}

bool GridModel::setColPosition(int index, int position)
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
    const auto move = [&](auto& values) {
        const auto moved = values[static_cast<size_t>(index)];
        values.erase(values.begin() + index);
        values.insert(values.begin() + position, moved);
    };
    move(widths_);
    move(alignments_);
    move(columnKeys_);
    emit columnsChanged();
    return true;
}

RowView GridModel::rowView(int row) const
{
    if (row < 0 || row >= Rows())
        return {};
    return rows_.row(size_t(row));
}

void GridModel::replaceCell(int row, int col, CellText text)
{
    edited_.assign(rows_.row(size_t(row)));
    edited_.setCell(col, text);
    rows_.set(size_t(row), edited_.view());
}

void GridModel::storeRow(int row, const PackedRow& cells)
{
    if (cells.cellCount() <= Cols()) {
        rows_.set(size_t(row), cells.view());
        return;
    }
    PackedRow kept = cells;
    kept.truncate(Cols());
    rows_.set(size_t(row), kept.view());
}

bool GridModel::setTextMatrix(int row, int col, CellText text)
{
    if (!validCell(row, col))
        return false;
    if (rows_.row(size_t(row)).cell(col) == text)
        return true; // no change: a pass that rewrites equal dates leaves the register as saved
    note({.kind = GridChange::Kind::SetText, .a = row, .b = col, .text = text});
    ++revision_;
    replaceCell(row, col, text);
    noteTexts();
    return true;
}

bool GridModel::setRowCells(int row, const PackedRow& cells)
{
    if (row < 0 || row >= Rows())
        return false;
    note({.kind = GridChange::Kind::SetRowCells, .a = row, .cells = &cells});
    ++revision_;
    storeRow(row, cells);
    noteTexts();
    return true;
}

int GridModel::ColWidth(int col) const
{
    return col >= 0 && col < Cols() ? widths_[size_t(col)] : 0;
}

bool GridModel::setColWidth(int col, int twips)
{
    if (col < 0 || col >= Cols() || twips < 0)
        return false;
    if (widths_[size_t(col)] == twips)
        return true;
    note({.kind = GridChange::Kind::SetColWidth, .a = col, .b = twips});
    widths_[size_t(col)] = twips;
    emit columnsChanged();
    return true;
}

Qt::Alignment GridModel::ColAlignment(int col) const
{
    return col >= 0 && col < Cols() ? alignments_[size_t(col)] : Qt::AlignLeft;
}

bool GridModel::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= Cols())
        return false;
    if (alignments_[size_t(col)] == alignment)
        return true;
    note({.kind = GridChange::Kind::SetColAlignment, .a = col, .b = int(alignment)});
    alignments_[size_t(col)] = alignment;
    emit columnsChanged();
    return true;
}

std::vector<quint32> GridModel::sort(int first, int last, int keyFirst, int keyLast)
{
    if (first < FixedRows || last >= Rows() || last <= first || keyFirst < 0 || keyLast >= Cols() || keyLast < keyFirst)
        return {};
    const int keyCount = keyLast - keyFirst + 1;
    std::vector<quint32> order = GenericOrder::stableOrder(
        static_cast<size_t>(last - first + 1), keyCount,
        [&](size_t slot) {
            return cellText(first + int(slot / size_t(keyCount)), keyFirst + int(slot % size_t(keyCount)));
        },
        dateReader_);
    permuteRows(first, order);
    return order;
}

void GridModel::permuteRows(int first, const std::vector<quint32>& order)
{
    note({.kind = GridChange::Kind::PermuteRows, .a = first, .order = &order});
    ++revision_;
    rows_.permute(size_t(first), order);
    emit rowsPermuted(first, order);
}

GridSnapshot GridModel::snapshot() const
{
    return {widths_, alignments_, rows_.snapshot()};
}

void GridModel::setFormatString(const QString& format, const QFont& font)
{
    const QFontMetricsF metrics(font);
    // Anything after a ';' would describe row captions, which the program never uses.
    const QStringList captions = format.section(u';', 0, 0).split(u'|').mid(0, maxCols);
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
        setColAlignment(c, alignment);
        const int pixels = static_cast<int>(std::ceil(metrics.horizontalAdvance(caption)));
        setColWidth(c, Twips::fromPixels(pixels) + 2 * textMargin);
        setTextMatrix(0, c, caption);
    }
}
