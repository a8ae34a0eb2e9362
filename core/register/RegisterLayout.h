#pragma once

#include <QStringView>
#include <array>

// What a register entry is, said once: its columns as the file carries them,
// which of them the blocking-date rule reads and writes, their captions and
// their printed widths; and the names of the register file and its folders.
// Columns are positional everywhere: a column holds what its place says,
// whatever caption it shows.
namespace RegisterLayout {

// The columns the file carries: 0 to 6 are written, any further are not.
constexpr int savedColumns = 7;

constexpr int serialColumn = 0; // the EKLZ's serial number
constexpr int activationColumn = 2; // typed by the user
constexpr int blockingColumn = 3; // derived from the activation date

// The grid's format string for the captions: "^" centres a column, and the
// blanks after each caption widen it.
constexpr QStringView headerFormat =
    u"^Зав. № ЭКЛЗ |^Рег. № ЭКЛЗ  |^Дата актив. |^Дата блок. |^Модель  ККМ  |^№  ККМ     "
    u"|^Владелец            ";

// Printed widths of columns 0 to 5, in hundredths of the page's width
// (column 6 and any further take what is left).
constexpr std::array<double, 6> printedWidths = {74, 64, 64, 64, 94, 74};

// The register, and the folders beside it.
constexpr QStringView registerFile = u"thisyear.csv";
constexpr QStringView archiveFolder = u"Archive";
constexpr QStringView backupFolder = u"Backup";
// The register's name in its kept versions (NAME-YYYY-MM-DD-HHMMSS.csv).
constexpr QStringView registerKeptName = u"thisyear";

} // namespace RegisterLayout
