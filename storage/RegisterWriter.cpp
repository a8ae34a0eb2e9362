#include "storage/RegisterWriter.h"

#include "grid/FlexGrid.h"
#include "storage/RegisterFormat.h"

#include <QSaveFile>
#include <array>

namespace RegisterWriter {

namespace {

// Reads the entry rows by walking the current cell over columns 0 to 6 of
// each, and encodes them; stops at the first cell the file cannot carry.
Outcome encode(FlexGrid& grid, QByteArray& bytes)
{
    Outcome outcome;
    const int rows = grid.Rows();
    std::array<QStringView, RegisterFormat::savedColumns> fields;
    for (int r = 1; r < rows; ++r) {
        grid.setRow(r);
        // The walk may commit a pending edit into this row, so its texts are
        // read once the walk has passed it. Columns a narrow grid lacks are
        // written empty.
        int present = 0;
        for (int c = 0; c < RegisterFormat::savedColumns && grid.setCol(c); ++c)
            present = c + 1;
        for (int c = 0; c < RegisterFormat::savedColumns; ++c)
            fields[c] = c < present ? grid.cellText(grid.Row(), c) : QStringView();
        if (const auto bad = RegisterFormat::appendLine(bytes, fields)) {
            grid.setCol(bad->column);
            outcome.kind = Outcome::Kind::CellUnwritable;
            outcome.row = grid.Row();
            outcome.col = bad->column;
            outcome.character = bad->character;
            return outcome;
        }
    }
    outcome.bytes = bytes.size();
    return outcome;
}

Outcome write(const QByteArray& bytes, const QString& path)
{
    Outcome outcome;
    outcome.bytes = bytes.size();
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        outcome.kind = Outcome::Kind::CannotOpen;
        outcome.error = file.error();
        return outcome;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        outcome.kind = Outcome::Kind::WriteFailed;
        outcome.error = file.error();
        file.cancelWriting();
    }
    return outcome;
}

} // namespace

Outcome save(FlexGrid& grid, const QString& path, const std::function<bool()>& mayWrite)
{
    QByteArray bytes;
    const Outcome encoded = encode(grid, bytes);
    if (!encoded.saved())
        return encoded;
    if (mayWrite && !mayWrite()) {
        Outcome declined;
        declined.kind = Outcome::Kind::Declined;
        return declined;
    }
    return write(bytes, path);
}

} // namespace RegisterWriter
