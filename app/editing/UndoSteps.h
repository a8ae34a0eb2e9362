#pragma once

#include "editing/GridCommands.h"

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QStringView>
#include <QUndoStack>
#include <memory>
#include <optional>

class CellBox;
class FlexGrid;
class QAction;

// The main window's undo and redo: every change of the register made in the
// window is a step here, taken back with Ctrl+Z (Ctrl+Y or Ctrl+Shift+Z
// redo) or from the grid's menu. The blocking pass's writes are a step of
// their own that undo and redo take with the step they followed, and the
// whole history holds at most 64 MB, the oldest steps forgotten first,
// never the newest the user made.
class UndoSteps : public QObject {
    Q_OBJECT
public:
    UndoSteps(FlexGrid& grid, CellBox& cellBox);
    ~UndoSteps() override;

    QUndoStack& stack() { return stack_; }
    // The menu's entries: they name the step and always act on the register.
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }
    // Ctrl+Z; Ctrl+Y and Ctrl+Shift+Z.
    static const QList<QKeySequence> undoKeys;
    static const QList<QKeySequence> redoKeys;

    // Pushes a step, after the blocking pass's writes made so far, and keeps
    // the history within its ceiling.
    void push(QUndoCommand* step);
    // A text written into a cell shown (the cell box, the input line): a
    // step, with the cell that follows from it; the same text is none.
    void writeCell(int row, int col, const QString& text, SetCellCommand::Control control);
    // The cell of the row shown that follows from text written into
    // (row, col), by the register's rule (cellFollowing).
    std::optional<SetCellCommand::Derived> derivedCell(int row, int col, QStringView text) const;

    // The blocking pass: what it writes between begin and end becomes a step;
    // passes nested through its yields write into the same one.
    void passBegins();
    void passWrites(int modelRow, int col, CellText before, CellText after);
    void passEnds();

    // One step the user made back (undo) or again, with the blocking
    // pass's steps that follow it.
    void takeStep(bool undo);
    // A load: the steps are gone, and so is what a pass paused under the
    // load wrote into the register that was there.
    void clear();

signals:
    // An undo or a redo changed the register.
    void stepTaken();

private:
    // The step at index, or null where there is none.
    const GridCommand* stepAt(int index) const;
    bool canUndo() const;
    bool canRedo() const;
    void updateActions();
    void pushPassStep();
    void keepWithinCeiling();

    FlexGrid& grid_;
    CellBox& cellBox_;
    QUndoStack stack_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    std::unique_ptr<CellsCommand> passStep_; // the blocking pass's writes while it runs
    int passDepth_ = 0; // passes running, nested through their yields
};
