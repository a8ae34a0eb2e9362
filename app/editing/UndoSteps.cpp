#include "app/editing/UndoSteps.h"

#include "grid/FlexGrid.h"
#include "rules/BlockingPass.h"
#include "ui/CellBox.h"

#include <QAction>

namespace {

constexpr int stepsKept = 100;
// What the whole history may hold to put things back. A sort of a million
// entries keeps 4 MB; the oldest steps are forgotten first, never the newest.
constexpr qsizetype historyBytes = 64 * 1024 * 1024;

QString stepText(const QString& verb, const QString& step)
{
    return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
}

} // namespace

const QList<QKeySequence> UndoSteps::undoKeys {QKeySequence(Qt::CTRL | Qt::Key_Z)};
const QList<QKeySequence> UndoSteps::redoKeys {
    QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};

UndoSteps::UndoSteps(FlexGrid& grid, CellBox& cellBox)
    : grid_(grid)
    , cellBox_(cellBox)
{
    stack_.setUndoLimit(stepsKept);
    undoAction_ = new QAction(this);
    undoAction_->setShortcuts(undoKeys);
    redoAction_ = new QAction(this);
    redoAction_->setShortcuts(redoKeys);
    for (QAction* action : {undoAction_, redoAction_})
        action->setShortcutContext(Qt::WidgetShortcut); // shown; the window's own keys act
    connect(undoAction_, &QAction::triggered, this, [this] { takeStep(true); });
    connect(redoAction_, &QAction::triggered, this, [this] { takeStep(false); });
    connect(&stack_, &QUndoStack::indexChanged, this, &UndoSteps::updateActions);
    connect(&stack_, &QUndoStack::cleanChanged, this, &UndoSteps::updateActions);
    updateActions();
}

UndoSteps::~UndoSteps() = default;

const GridCommand* UndoSteps::stepAt(int index) const
{
    if (index < 0 || index >= stack_.count())
        return nullptr;
    return static_cast<const GridCommand*>(stack_.command(index));
}

bool UndoSteps::canUndo() const
{
    const GridCommand* step = stepAt(stack_.index() - 1);
    return step && !step->forgotten();
}

bool UndoSteps::canRedo() const
{
    const GridCommand* step = stepAt(stack_.index());
    return step && !step->forgotten();
}

void UndoSteps::updateActions()
{
    undoAction_->setText(stepText(QStringLiteral("Отменить"), canUndo() ? stack_.undoText() : QString()));
    undoAction_->setEnabled(canUndo());
    redoAction_->setText(stepText(QStringLiteral("Повторить"), canRedo() ? stack_.redoText() : QString()));
    redoAction_->setEnabled(canRedo());
}

void UndoSteps::takeStep(bool undo)
{
    // A pending edit goes into the cell it was opened on first, as a step of
    // its own: the rows may move under the box. What a pass paused under
    // this key wrote so far is a step of its own too, so that no step holds
    // rows from before and after the undo.
    cellBox_.settle();
    pushPassStep();
    const int before = stack_.index();
    if (undo) {
        // The blocking pass's writes go back together with the step they followed.
        while (canUndo()) {
            const bool passesThrough = stepAt(stack_.index() - 1)->passesThrough();
            stack_.undo();
            if (!passesThrough)
                break;
        }
    } else if (canRedo()) {
        stack_.redo();
        while (canRedo() && stepAt(stack_.index())->passesThrough())
            stack_.redo();
    }
    if (stack_.index() != before)
        emit stepTaken();
}

void UndoSteps::writeCell(int row, int col, const QString& text, SetCellCommand::Control control)
{
    // The same text put back changes nothing, and is no step to undo.
    if (grid_.cellText(row, col) != text)
        push(new SetCellCommand(grid_, row, col, text, control, derivedCell(row, col, text)));
}

std::optional<SetCellCommand::Derived> UndoSteps::derivedCell(int row, int col, QStringView text) const
{
    const std::optional<FollowingCell> following = cellFollowing(grid_.model(), grid_.modelRow(row), col, text);
    if (!following)
        return std::nullopt;
    return SetCellCommand::Derived {following->col, following->text};
}

void UndoSteps::push(QUndoCommand* step)
{
    // Every change of the window goes through here: a pending edit goes into
    // the cell it was opened on first, as a step of its own, before rows or
    // columns move under the box. Steps read the cells they change only as
    // they are made, so the edit is part of what this one starts from.
    cellBox_.settle();
    pushPassStep(); // a pass yielding to this handler wrote before it
    stack_.push(step);
    keepWithinCeiling();
}

void UndoSteps::clear()
{
    stack_.clear();
    if (passStep_)
        passStep_ = std::make_unique<CellsCommand>(grid_, QString(), true);
}

void UndoSteps::passBegins()
{
    if (passDepth_++ == 0)
        passStep_ = std::make_unique<CellsCommand>(grid_, QString(), true);
}

void UndoSteps::passWrites(int modelRow, int col, CellText before, CellText after)
{
    passStep_->add(modelRow, col, before, after);
}

void UndoSteps::passEnds()
{
    if (--passDepth_ > 0)
        return;
    pushPassStep();
    passStep_.reset();
}

void UndoSteps::pushPassStep()
{
    if (!passStep_ || passStep_->isEmpty())
        return;
    // Named as the step it follows, which undo takes with it.
    passStep_->setText(canUndo() ? stack_.undoText() : QStringLiteral("пересчёт дат блокировки"));
    stack_.push(std::exchange(passStep_, std::make_unique<CellsCommand>(grid_, QString(), true)).release());
    keepWithinCeiling();
}

void UndoSteps::keepWithinCeiling()
{
    qsizetype total = 0;
    for (int i = 0; i < stack_.count(); ++i)
        total += stepAt(i)->bytes();
    // The newest step the user made stays, with the blocking pass's steps
    // that follow it, whatever they hold: it is the one the menu names.
    int newest = stack_.count() - 1;
    while (newest > 0 && stepAt(newest)->passesThrough())
        --newest;
    for (int i = 0; i < newest && total > historyBytes; ++i) {
        auto* step = static_cast<GridCommand*>(const_cast<QUndoCommand*>(stack_.command(i)));
        total -= step->bytes();
        step->forget();
    }
    updateActions();
}
