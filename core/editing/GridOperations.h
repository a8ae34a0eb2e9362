#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

class FlexGrid;

// What the main window's buttons and the header do to the grid's shape and
// order. None of them closes a pending cell box edit: they change no current
// cell except where a move is part of the operation (search, sort), and such a
// move raises LeaveCell like any other.
namespace GridOperations {

// "Добавить строку": an empty row after the last, scrolled into view; the
// current cell stays. False when the grid holds all the rows it can.
bool addRow(FlexGrid& grid);

// " Удалить строку" removes the row on which the selection ends. The header
// row and the last remaining entry are kept; answers whether a row went.
bool deleteRow(FlexGrid& grid, int row);

// "Добавить колонку": an empty column inserted before the current one (at).
// False when the grid holds all the columns it can.
bool insertColumn(FlexGrid& grid, int at);

// "Удалить колонку": drops the last column, keeping at least one.
bool deleteLastColumn(FlexGrid& grid);

// "Переместить колонки": the last column moves to the current column's place
// (to); answers whether it moved.
bool moveLastColumn(FlexGrid& grid, int to);

// "Поиск": the first row, header included, whose cell in the selection's end
// column begins with word (compared without regard to case) becomes current,
// scrolled to the top, the selection ending on it: what « Удалить строку»
// then removes is the entry found. Answers whether a row matched.
bool search(FlexGrid& grid, const QString& word);
// The first row from `from` on whose cell in col begins with word, going on
// from the top once when wrap; the header row counts as "Поиск" counts it.
std::optional<int> findRow(const FlexGrid& grid, const QString& word, int col, int from, bool wrap);
// Makes a matching row current as "Поиск" does.
void showMatch(FlexGrid& grid, int row);

// A release over a column's caption: every entry row sorted ascending by that
// column, the header made standard again, the caption cell current.
// Answers the first sorted row and the order applied (FlexGrid::setSort).
std::pair<int, std::vector<quint32>> sortByColumn(FlexGrid& grid, int col, const QString& headerFormat);

} // namespace GridOperations
