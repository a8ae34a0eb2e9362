// The main window's undo and redo: every change of the register made here is
// a step on history_, taken back with Ctrl+Z (Ctrl+Y or Ctrl+Shift+Z redo) or
// from the grid's context menu.
#include "app/FrmEKLZ.h"

#include "ui/CellOverlay.h"
#include "ui/GridWidget.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

namespace {

constexpr int stepsKept = 100;

QString stepText(const QString& verb, const QString& step)
{
    return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
}

} // namespace

void FrmEKLZ::createHistory()
{
    history_.setUndoLimit(stepsKept);
    const QList<QKeySequence> undoKeys{QKeySequence(Qt::CTRL | Qt::Key_Z)};
    const QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence& keys : undoKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { takeStep(&QUndoStack::undo, &QLineEdit::undo); });
    for (const QKeySequence& keys : redoKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { takeStep(&QUndoStack::redo, &QLineEdit::redo); });

    // The menu's entries name the step, show the keys and always act on the register.
    undoAction_ = new QAction(this);
    undoAction_->setShortcuts(undoKeys);
    redoAction_ = new QAction(this);
    redoAction_->setShortcuts(redoKeys);
    for (QAction* action : {undoAction_, redoAction_})
        action->setShortcutContext(Qt::WidgetShortcut);
    connect(undoAction_, &QAction::triggered, this, [this] { takeStep(&QUndoStack::undo, nullptr); });
    connect(redoAction_, &QAction::triggered, this, [this] { takeStep(&QUndoStack::redo, nullptr); });
    auto update = [this] {
        undoAction_->setText(stepText(QStringLiteral("Отменить"), history_.undoText()));
        undoAction_->setEnabled(history_.canUndo());
        redoAction_->setText(stepText(QStringLiteral("Повторить"), history_.redoText()));
        redoAction_->setEnabled(history_.canRedo());
    };
    connect(&history_, &QUndoStack::indexChanged, this, update);
    connect(&history_, &QUndoStack::cleanChanged, this, update);
    update();

    historyMenu_ = new QMenu(this);
    historyMenu_->addAction(undoAction_);
    historyMenu_->addAction(redoAction_);
    connect(gridWidget_, &GridWidget::contextMenuRequested, historyMenu_,
            [this](const QPoint& globalPos) { historyMenu_->popup(globalPos); });
}

void FrmEKLZ::takeStep(void (QUndoStack::*step)(), void (QLineEdit::*boxStep)())
{
    // In the input line and the cell box the keys act on the box's own text.
    for (QLineEdit* box : {TxtVvod, txtDataEntry}) {
        if (boxStep && box->hasFocus()) {
            (box->*boxStep)();
            return;
        }
    }
    // The cell box goes first, so that moving the current cell in the middle
    // of a step commits nothing: an untouched box is closed, a box with
    // typing becomes a step of its own, the one an undo then takes back.
    if (txtDataEntry->isModified())
        CommitCellEdit();
    else
        overlay_->drop();
    (history_.*step)();
}

void FrmEKLZ::writeCell(int row, int col, const QString& text, SetCellCommand::Source source)
{
    // The same text put back is a change of the register, but no step to undo.
    if (MSFGAZ.cellText(row, col) == text)
        MSFGAZ.setTextMatrix(row, col, text);
    else
        history_.push(new SetCellCommand(MSFGAZ, row, col, text, source));
}
