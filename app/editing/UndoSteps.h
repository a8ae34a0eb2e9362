#pragma once

#include "editing/GridCommands.h"

#include <QObject>
#include <QStringView>
#include <QUndoStack>
#include <memory>
#include <optional>

class CellBox;
class FlexGrid;
class QAction;
class QLineEdit;
class QWidget;

// The main window's undo and redo: every change of the register made in the
// window is a step here, taken back with Ctrl+Z (Ctrl+Y or Ctrl+Shift+Z
// redo) or from the grid's menu. The blocking pass's writes are a step of
// their own that undo and redo take with the step they followed, and the
// whole history holds at most 64 MB, the oldest steps forgotten first,
// never the newest the user made.
class UndoSteps : public QObject {
    Q_OBJECT
public:
    // boxes: the input line and the cell box, where the keys act on their
    // own text.
    UndoSteps(QWidget& window, FlexGrid& grid, CellBox& cellBox, QLineEdit& inputLine, QLineEdit& boxEdit);
    ~UndoSteps() override;

    QUndoStack& stack() { return stack_; }
    // The menu's entries: they name the step and always act on the register.
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }

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

    // Ctrl+Z (undo) or Ctrl+Y; boxStep, when given, is what the keys do in
    // the input line or the cell box when one of them has the focus.
    void takeStep(bool undo, void (QLineEdit::*boxStep)());
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
    QLineEdit& inputLine_;
    QLineEdit& boxEdit_;
    QUndoStack stack_;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    std::unique_ptr<CellsCommand> passStep_; // the blocking pass's writes while it runs
    int passDepth_ = 0; // passes running, nested through their yields
};
