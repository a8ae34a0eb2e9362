#include "storage/RegisterWriter.h"

#include "grid/FlexGrid.h"
#include "storage/RegisterFormat.h"

#include <array>

namespace RegisterWriter {

namespace {

constexpr qsizetype blockSize = 1 << 20;

// The walk of the current cell that reads the grid: its first real move
// commits a pending edit (through LeaveCell) before anything is read, and it
// ends on the last row, column 6. The rows between are read in place.
void walkToFirstRow(FlexGrid& grid)
{
    grid.setRow(1);
    for (int c = 0; c < RegisterFormat::savedColumns && grid.setCol(c); ++c) {
    }
}

void walkToLastRow(FlexGrid& grid)
{
    grid.setRow(grid.Rows() - 1);
    grid.setCol(std::min(RegisterFormat::savedColumns, grid.Cols()) - 1);
}

Outcome unwritable(FlexGrid& grid, int row, const RegisterFormat::Unwritable& bad)
{
    grid.setRow(row);
    grid.setCol(bad.column);
    Outcome outcome;
    outcome.kind = bad.lineTooLong ? Outcome::Kind::LineTooLong : Outcome::Kind::CellUnwritable;
    outcome.row = grid.Row();
    outcome.col = bad.column;
    outcome.character = bad.character;
    return outcome;
}

// Encodes the entry rows a block at a time and hands each block to write,
// which answers false to stop. Answers the first cell the file cannot carry.
template <typename Write>
std::optional<std::pair<int, RegisterFormat::Unwritable>> encodeRows(const FlexGrid& grid, Write&& write,
                                                                      RegisterFormat::Checked checked)
{
    QByteArray block;
    block.reserve(blockSize + 4096);
    for (int r = 1; r < grid.Rows(); ++r) {
        if (const auto bad = RegisterFormat::appendLine(block, grid.rowView(r), checked))
            return std::pair{r, *bad};
        if (block.size() >= blockSize) {
            if (!write(block))
                return std::nullopt;
            block.truncate(0); // keeps its room
        }
    }
    write(block);
    return std::nullopt;
}

} // namespace

Outcome save(FlexGrid& grid, const QString& path, const FileReplacement::Guards& guards)
{
    if (grid.Rows() > FlexGrid::FixedRows)
        walkToFirstRow(grid);
    // Checked whole before the question and before the file is touched.
    qint64 bytes = 0;
    const auto bad = encodeRows(
        grid,
        [&](const QByteArray& block) {
            bytes += block.size();
            return true;
        },
        RegisterFormat::Checked::No);
    if (bad)
        return unwritable(grid, bad->first, bad->second);
    if (grid.Rows() > FlexGrid::FixedRows)
        walkToLastRow(grid);
    const quint64 checkedRevision = grid.revision();

    Outcome outcome = FileReplacement::write(path, guards, [&](const FileReplacement::Sink& sink) {
        const auto changed =
            encodeRows(grid, sink,
                       grid.revision() == checkedRevision ? RegisterFormat::Checked::Already
                                                          : RegisterFormat::Checked::No);
        // The question's event loop let someone type a ';'.
        return changed ? std::optional<Outcome>(unwritable(grid, changed->first, changed->second))
                       : std::nullopt;
    });
    outcome.bytes = bytes;
    return outcome;
}

std::optional<Cell> firstTextNotSaved(const FlexGrid& grid)
{
    for (int r = FlexGrid::FixedRows; r < grid.Rows(); ++r)
        for (int c = RegisterFormat::savedColumns; c < grid.Cols(); ++c)
            if (!grid.cellText(r, c).isEmpty())
                return Cell{r, c};
    return std::nullopt;
}

} // namespace RegisterWriter
