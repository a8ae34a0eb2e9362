#pragma once

#include "grid/PackedRow.h"

#include <QString>
#include <QUndoCommand>
#include <optional>
#include <vector>

class FlexGrid;
class GridModel;

// The register's changes made in the main window, as steps of an undo stack.
// Each step stores only what it changed (a cell's two texts, a deleted row's
// cells, a deleted column's cells, a sort's permutation) and puts back exactly
// that: texts, row order, column order and the column count. A step is first
// made as the user made it, on the grid as shown (FlexGrid); it keeps the
// model's rows and is undone and redone on the model itself, so that it puts
// back the same entries whatever is shown by then. After an undo or a redo
// the view's current cell is where the step happened, scrolled into view,
// when that entry is shown.
//
// A step is pushed when it is done: its first redo() is the operation itself,
// and one that changes nothing (a deletion of the header row, a move of the
// last column onto itself) marks itself obsolete, so the stack drops it.
// The window commits a pending cell box edit before undoing or redoing, so
// that moving the current cell pushes nothing in the middle of a step.
class GridCommand : public QUndoCommand {
public:
    // row is the grid's row shown (Rows() for one after the last).
    GridCommand(FlexGrid& grid, int row, int col, const QString& text);

    void undo() final;
    void redo() final;

    // The memory the step holds to put things back, in bytes.
    virtual qsizetype bytes() const { return 0; }
    // Drops what the step holds: it can then be neither undone nor redone,
    // and the window stops there. The oldest steps go this way when the
    // history grows too large.
    void forget();
    bool forgotten() const { return forgotten_; }
    // Whether the step has been done once (its first redo).
    bool isDone() const { return done_; }
    // A step that undo and redo take together with the one below it.
    virtual bool passesThrough() const { return false; }

protected:
    virtual void release() { }
    virtual void apply() = 0;
    virtual void revert() = 0;
    FlexGrid& grid_;
    GridModel& model_;
    const int row_; // where the step happened, in the model
    const int col_;

private:
    void showPlace();
    bool done_ = false;
    bool forgotten_ = false;
};

// Cells written at once, already written when the step is pushed: a paste
// (with the rows and columns it added at the end), or the dates the blocking
// pass derives. The pass writes by position, so what it writes over (even
// text that stood in the blocking column only after a move of columns) is
// kept here and put back; undo and redo take a pass's step together with the
// one it followed (followsStep), so that undoing an activation date takes its
// blocking date back with it.
class CellsCommand : public GridCommand {
public:
    CellsCommand(FlexGrid& grid, const QString& text, bool followsStep);
    // A cell of the model about to change from before to after.
    void add(int modelRow, int col, CellText before, CellText after);
    // Rows and columns the step added at the end before writing its cells.
    void addedShape(int rows, int cols);
    bool isEmpty() const { return places_.empty() && rowsAdded_ == 0 && colsAdded_ == 0; }
    qsizetype bytes() const override;
    bool passesThrough() const override { return followsStep_; }

private:
    void apply() override;
    void revert() override;
    void release() override;
    void write(const PackedRow& texts);
    struct Place {
        int row;
        int col;
    };
    std::vector<Place> places_;
    PackedRow before_;
    PackedRow after_;
    int rowsAdded_ = 0;
    int colsAdded_ = 0;
    const bool followsStep_;
    bool applied_ = true; // the cells were written before the step was pushed
};

// A cell's text replaced: the cell box's commit, or a copy from the input line
// or "Ввод". Consecutive copies into the same cell merge into one step.
// A cell of the same row that follows from the new text (the blocking date
// from an activation date) may change with it, in the same step.
class SetCellCommand : public GridCommand {
public:
    enum class Control { CellBox, InputLine }; // where the text was typed
    struct Derived {
        int col;
        QString text;
    };
    SetCellCommand(
        FlexGrid& grid, int row, int col, QString text, Control control, std::optional<Derived> derived = std::nullopt);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;
    qsizetype bytes() const override;

private:
    void apply() override;
    void revert() override;
    void release() override;
    struct Change {
        int col;
        QString before;
        QString after;
    };
    QString before_;
    QString after_;
    Control control_;
    std::optional<Change> derived_;
};

// "Добавить строку".
class AddRowCommand : public GridCommand {
public:
    explicit AddRowCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// " Удалить строку": the row where the selection ends.
class DeleteRowCommand : public GridCommand {
public:
    DeleteRowCommand(FlexGrid& grid, int row);
    qsizetype bytes() const override { return cells_.view().size(); }

private:
    void apply() override;
    void revert() override;
    void release() override { cells_ = PackedRow(); }
    PackedRow cells_;
};

// "Добавить колонку" before the current column.
class InsertColumnCommand : public GridCommand {
public:
    explicit InsertColumnCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// "Удалить колонку": the last one, its cells kept packed like a row.
class DeleteColumnCommand : public GridCommand {
public:
    explicit DeleteColumnCommand(FlexGrid& grid);
    qsizetype bytes() const override { return cells_.view().size(); }

private:
    void apply() override;
    void revert() override;
    void release() override { cells_ = PackedRow(); }
    PackedRow cells_;
    int width_ = 0;
    Qt::Alignment alignment_;
    int key_ = -1; // what marks and filters know it by (GridModel::columnKey)
};

// "Переместить колонки": the last column to the current one's place.
class MoveColumnCommand : public GridCommand {
public:
    explicit MoveColumnCommand(FlexGrid& grid);

private:
    void apply() override;
    void revert() override;
};

// The header sort; undoing it also puts back the captions, widths and
// alignments the sort made standard again.
class SortCommand : public GridCommand {
public:
    SortCommand(FlexGrid& grid, int col, QString headerFormat);
    qsizetype bytes() const override;

private:
    void apply() override;
    void revert() override;
    void release() override;
    QString headerFormat_;
    int first_ = 1;
    std::vector<quint32> order_; // empty until the first sort
    PackedRow header_;
    std::vector<int> widths_;
    std::vector<Qt::Alignment> alignments_;
};
