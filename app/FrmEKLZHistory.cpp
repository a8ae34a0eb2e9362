// The main window's undo and redo: every change of the register made here is
// a step on history_, taken back with Ctrl+Z (Ctrl+Y or Ctrl+Shift+Z redo) or
// from the grid's context menu.
#include "app/FrmEKLZ.h"

#include "ui/CellOverlay.h"
#include "ui/GridWidget.h"
#include "register/RegisterLayout.h"
#include "rules/BlockingDate.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

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

void FrmEKLZ::createHistory()
{
    history_.setUndoLimit(stepsKept);
    const QList<QKeySequence> undoKeys{QKeySequence(Qt::CTRL | Qt::Key_Z)};
    const QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence& keys : undoKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { takeStep(true, &QLineEdit::undo); });
    for (const QKeySequence& keys : redoKeys)
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { takeStep(false, &QLineEdit::redo); });

    // The menu's entries name the step, show the keys and always act on the register.
    undoAction_ = new QAction(this);
    undoAction_->setShortcuts(undoKeys);
    redoAction_ = new QAction(this);
    redoAction_->setShortcuts(redoKeys);
    for (QAction* action : {undoAction_, redoAction_})
        action->setShortcutContext(Qt::WidgetShortcut);
    connect(undoAction_, &QAction::triggered, this, [this] { takeStep(true, nullptr); });
    connect(redoAction_, &QAction::triggered, this, [this] { takeStep(false, nullptr); });
    connect(&history_, &QUndoStack::indexChanged, this, &FrmEKLZ::updateHistoryActions);
    connect(&history_, &QUndoStack::cleanChanged, this, &FrmEKLZ::updateHistoryActions);
    updateHistoryActions();

    historyMenu_ = new QMenu(this);
    historyMenu_->addAction(undoAction_);
    historyMenu_->addAction(redoAction_);
    historyMenu_->addSeparator();
    QAction* copy = historyMenu_->addAction(QStringLiteral("Копировать"), this, &FrmEKLZ::copyCells);
    copy->setShortcut(QKeySequence::Copy);
    QAction* paste = historyMenu_->addAction(QStringLiteral("Вставить"), this, &FrmEKLZ::pasteCells);
    paste->setShortcut(QKeySequence::Paste);
    for (QAction* action : {copy, paste})
        action->setShortcutContext(Qt::WidgetShortcut); // shown; the grid's own keys act
    connect(gridWidget_, &GridWidget::copyRequested, this, &FrmEKLZ::copyCells);
    connect(gridWidget_, &GridWidget::pasteRequested, this, &FrmEKLZ::pasteCells);
    // In the cell box, Ctrl+C with no text selected copies as the grid would.
    txtDataEntry->installEventFilter(this);
    connect(gridWidget_, &GridWidget::contextMenuRequested, historyMenu_, [this](const QPoint& globalPos) {
        // A pending edit becomes its step first, so that the menu names
        // the step its entries take.
        overlay_->settle();
        historyMenu_->popup(globalPos);
    });
}

const GridCommand* FrmEKLZ::stepAt(int index) const
{
    if (index < 0 || index >= history_.count())
        return nullptr;
    return static_cast<const GridCommand*>(history_.command(index));
}

bool FrmEKLZ::canUndo() const
{
    const GridCommand* step = stepAt(history_.index() - 1);
    return step && !step->forgotten();
}

bool FrmEKLZ::canRedo() const
{
    const GridCommand* step = stepAt(history_.index());
    return step && !step->forgotten();
}

void FrmEKLZ::updateHistoryActions()
{
    undoAction_->setText(stepText(QStringLiteral("Отменить"), canUndo() ? history_.undoText() : QString()));
    undoAction_->setEnabled(canUndo());
    redoAction_->setText(stepText(QStringLiteral("Повторить"), canRedo() ? history_.redoText() : QString()));
    redoAction_->setEnabled(canRedo());
}

void FrmEKLZ::takeStep(bool undo, void (QLineEdit::*boxStep)())
{
    // In the input line and the cell box the keys act on the box's own text.
    for (QLineEdit* box : {TxtVvod, txtDataEntry}) {
        if (boxStep && box->hasFocus()) {
            (box->*boxStep)();
            return;
        }
    }
    // A pending edit goes into the cell it was opened on first, as a step of
    // its own: the rows may move under the box.
    overlay_->settle();
    if (undo) {
        // The blocking pass's writes go back together with the step they followed.
        while (canUndo()) {
            const bool passesThrough = stepAt(history_.index() - 1)->passesThrough();
            history_.undo();
            if (!passesThrough)
                break;
        }
        return;
    }
    if (!canRedo())
        return;
    history_.redo();
    while (canRedo() && stepAt(history_.index())->passesThrough())
        history_.redo();
}

void FrmEKLZ::writeCell(int row, int col, const QString& text, SetCellCommand::Source source)
{
    // The same text put back changes nothing, and is no step to undo.
    if (MSFGAZ.cellText(row, col) != text)
        addToHistory(new SetCellCommand(MSFGAZ, row, col, text, source, derivedCell(row, col, text)));
}

std::optional<SetCellCommand::Derived> FrmEKLZ::derivedCell(int row, int col, QStringView text) const
{
    // An activation date brings its blocking date at once, so that nothing
    // saved, printed or marked before the next click shows the two apart.
    if (row < FlexGrid::FixedRows || col != RegisterLayout::activationColumn)
        return std::nullopt;
    const std::optional<BlockingDate::DateText> blocking = BlockingDate::forActivationText(text);
    if (!blocking || MSFGAZ.cellText(row, RegisterLayout::blockingColumn) == CellText(blocking->view()))
        return std::nullopt;
    return SetCellCommand::Derived{RegisterLayout::blockingColumn, blocking->toString()};
}

void FrmEKLZ::addToHistory(QUndoCommand* step)
{
    pushPassStep(); // a pass yielding to this handler wrote before it
    history_.push(step);
    keepHistoryWithinCeiling();
}

void FrmEKLZ::pushPassStep()
{
    if (!passStep_ || passStep_->isEmpty())
        return;
    // Named as the step it follows, which undo takes with it.
    passStep_->setText(canUndo() ? history_.undoText() : QStringLiteral("пересчёт дат блокировки"));
    history_.push(std::exchange(passStep_, std::make_unique<CellsCommand>(MSFGAZ, QString(), true)).release());
    keepHistoryWithinCeiling();
}

void FrmEKLZ::keepHistoryWithinCeiling()
{
    qsizetype total = 0;
    for (int i = 0; i < history_.count(); ++i)
        total += stepAt(i)->bytes();
    // The newest step the user made stays, with the blocking pass's steps
    // that follow it, whatever they hold: it is the one the menu names.
    int newest = history_.count() - 1;
    while (newest > 0 && stepAt(newest)->passesThrough())
        --newest;
    for (int i = 0; i < newest && total > historyBytes; ++i) {
        auto* step = static_cast<GridCommand*>(const_cast<QUndoCommand*>(history_.command(i)));
        total -= step->bytes();
        step->forget();
    }
    updateHistoryActions();
}
