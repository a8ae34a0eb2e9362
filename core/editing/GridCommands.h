#pragma once

#include "grid/PackedRow.h"

#include <QString>
#include <QUndoCommand>
#include <vector>

class FlexGrid;

// The register's changes made in the main window, as steps of an undo stack.
// Each step stores only what it changed (a cell's two texts, a deleted row's
// cells, a deleted column's cells, a sort's permutation) and puts back exactly
// that: texts, row order, column order and the column count. After an undo or
// a redo the current cell is where the step happened, scrolled into view.
//
// A step is pushed when it is done: its first redo() is the operation itself,
// and one that changes nothing (a deletion of the header row, a move of the
// last column onto itself) marks itself obsolete, so the stack drops it.
// The window commits a pending overlay edit before undoing or redoing, so
// that moving the current cell pushes nothing in the middle of a step.
class GridCommand : public QUndoCommand
{
public:
    GridCommand(FlexGrid& grid, int row, int col, const QString& text);

    void undo() final;
    void redo() final;

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    FlexGrid& grid_;
    const int row_; // where the step happened
    const int col_;

private:
    void showPlace();
    bool done_ = false;
};

// A cell's text replaced: the overlay's commit, or a copy from the input line
// or "Ввод". Consecutive copies into the same cell merge into one step.
class SetCellCommand : public GridCommand
{
public:
    enum class Source { CellBox, InputLine };
    SetCellCommand(FlexGrid& grid, int row, int col, QString text, Source source);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply() override;
    void revert() override;
    QString before_;
    QString after_;
    Source source_;
};

// "Добавить строку".
class AddRowCommand : public GridCommand
{
public:
    explicit AddRowCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// " Удалить строку": the row where the selection ends.
class DeleteRowCommand : public GridCommand
{
public:
    DeleteRowCommand(FlexGrid& grid, int row);

private:
    void apply() override;
    void revert() override;
    PackedRow cells_;
};

// "Добавить колонку" before the current column.
class InsertColumnCommand : public GridCommand
{
public:
    explicit InsertColumnCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// "Удалить колонку": the last one, its cells kept packed like a row.
class DeleteColumnCommand : public GridCommand
{
public:
    explicit DeleteColumnCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
    PackedRow cells_;
    int width_ = 0;
    Qt::Alignment alignment_;
};

// "Переместить колонки": the last column to the current one's place.
class MoveColumnCommand : public GridCommand
{
public:
    explicit MoveColumnCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// The header sort; undoing it also puts back the captions, widths and
// alignments the sort made standard again.
class SortCommand : public GridCommand
{
public:
    SortCommand(FlexGrid& grid, int col, QString headerFormat);

private:
    void apply() override;
    void revert() override;
    QString headerFormat_;
    int first_ = 1;
    std::vector<quint32> order_; // empty until the first sort
    PackedRow header_;
    std::vector<int> widths_;
    std::vector<Qt::Alignment> alignments_;
};
