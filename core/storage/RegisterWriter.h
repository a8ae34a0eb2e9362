#pragma once

#include "storage/FileReplacement.h"
#include "storage/SaveOutcome.h"

#include <QString>
#include <optional>

class GridModel;

// Writes the model to a register file: every entry, rows 1 to Rows - 1,
// columns 0 to 6, whatever a view shows of them.
//
// The whole file is checked before anything is written. A cell the file
// cannot carry, or a line longer than the program reads back, stops the save
// there, naming the cell. The file is then replaced through FileReplacement,
// which keeps the replaced version.
namespace RegisterWriter {

using Outcome = SaveOutcome;

// guards.mayWrite, when given, is asked once the grid is checked and before
// the file is touched; false ends the save as Declined.
Outcome save(const GridModel& grid, const QString& path, const FileReplacement::Guards& guards = {});

// Writes the grid as a new kept version of name in folder (KeptVersions),
// never over a file there: work recovered from a log that the user did
// not take back. In the register's form where it holds the work whole,
// otherwise in the form that holds every character and column (unicode).
struct KeptWork {
    QString path; // empty when it could not be written
    int error = 0;
    bool unicode = false;
};
KeptWork keepAsVersion(const GridModel& grid, const QString& folder, const QString& name);

// The first entry cell holding text in a column the file does not carry.
struct Cell {
    int row = 0;
    int col = 0;
};
std::optional<Cell> firstTextNotSaved(const GridModel& grid);

} // namespace RegisterWriter
