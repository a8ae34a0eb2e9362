#include "merge/MergeSide.h"

#include "register/RegisterLayout.h"

#include <QHashFunctions>
#include <array>
#include <cstring>

namespace {

using RegisterLayout::savedColumns;

// A narrow row's bytes up to the end of the last saved column that holds
// text: cells past it, stored empty or not, or past the saved ones, do not
// count.
quint64 narrowKey(RowView row)
{
    qsizetype pos = 0;
    qsizetype end = 0;
    for (int column = 0; column < savedColumns && pos < row.size(); ++column) {
        const RowView::Span span = row.spanAt(pos);
        if (span.end > span.textStart)
            end = span.end;
        pos = span.end;
    }
    return qHashBits(row.data(), size_t(end), 1);
}

// A wide row's texts, each ended by a separator no text holds here.
quint64 wideKey(RowView row)
{
    std::array<CellText, savedColumns> cells;
    row.readCells(cells);
    int last = savedColumns - 1;
    while (last >= 0 && cells[size_t(last)].isEmpty())
        --last;
    size_t seed = 2;
    for (int column = 0; column <= last; ++column) {
        const QStringView text = cells[size_t(column)].wideText();
        seed = qHashBits(text.utf16(), size_t(text.size()) * 2, seed) ^ size_t(column + 1);
    }
    return seed;
}

} // namespace

quint64 MergeSide::key(int at) const
{
    const RowView row = entry(at);
    return row.isWide() ? wideKey(row) : narrowKey(row);
}

bool MergeSide::sameBytes(RowView a, RowView b)
{
    // Rows a grid and its snapshot share are the same memory.
    return a.isWide() == b.isWide() && a.size() == b.size() &&
           (a.data() == b.data() || std::memcmp(a.data(), b.data(), size_t(a.size())) == 0);
}

bool MergeSide::sameCell(RowView a, RowView b, int column)
{
    return a.cell(column) == b.cell(column);
}

bool MergeSide::sameEntry(RowView a, RowView b)
{
    // Alike bytes are alike texts; the rest is read cell by cell.
    if (sameBytes(a, b))
        return true;
    std::array<CellText, savedColumns> x;
    std::array<CellText, savedColumns> y;
    a.readCells(x);
    b.readCells(y);
    return x == y;
}
