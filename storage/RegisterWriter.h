#pragma once

#include <QFileDevice>
#include <QString>
#include <functional>

class FlexGrid;

// Writes the grid to a register file: entry rows 1 to Rows - 1, columns 0 to
// 6, reading every cell by moving the grid's current cell onto it.
//
// The whole file is encoded before anything is written. A cell the file cannot
// carry stops the save there, with the current cell left on it. The file is
// then replaced atomically: the new content goes to a temporary file that takes
// the old one's place only when all of it has been written. Where the folder
// cannot be written but the file can, it is written in place instead.
namespace RegisterWriter {

struct Outcome
{
    enum class Kind { Saved, CellUnwritable, Declined, CannotOpen, WriteFailed };
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

// mayWrite, when given, is asked once the grid is encoded and before the file
// is touched; false ends the save as Declined.
Outcome save(FlexGrid& grid, const QString& path, const std::function<bool()>& mayWrite = {});

} // namespace RegisterWriter
