#pragma once

#include <QFileDevice>
#include <QString>

class FlexGrid;

// Writes the grid to a register file: entry rows 1 to Rows - 1, columns 0 to
// 6, reading every cell by moving the grid's current cell onto it.
//
// The file is replaced atomically: the new content goes to a temporary file
// that takes the old one's place only when all of it has been written. A cell
// the file cannot carry stops the save before anything is replaced, with the
// current cell left on it.
namespace RegisterWriter {

struct Outcome
{
    enum class Kind { Saved, CellUnwritable, CannotOpen, WriteFailed };
    Kind kind = Kind::Saved;
    // For CellUnwritable: the cell and the character.
    int row = 0;
    int col = 0;
    char32_t character = 0;
    // For CannotOpen and WriteFailed.
    QFileDevice::FileError error = QFileDevice::NoError;
    qint64 bytes = 0; // what the whole file would have taken

    bool saved() const { return kind == Kind::Saved; }
};

Outcome save(FlexGrid& grid, const QString& path);

} // namespace RegisterWriter
