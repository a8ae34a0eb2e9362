#include "app/window/ContextMenu.h"

#include "app/editing/CellClipboard.h"
#include "app/editing/UndoSteps.h"
#include "ui/CellBox.h"
#include "ui/GridWidget.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

ContextMenu::ContextMenu(
    QWidget& window, GridWidget& grid, QLineEdit& boxEdit, UndoSteps& undo, CellClipboard& clipboard, CellBox& cellBox)
    : menu_(new QMenu(&window))
    , cellBox_(cellBox)
{
    menu_->addAction(undo.undoAction());
    menu_->addAction(undo.redoAction());
    menu_->addSeparator();
    QAction* copy = menu_->addAction(QStringLiteral("Копировать"), &clipboard, &CellClipboard::copy);
    copy->setShortcut(QKeySequence::Copy);
    QAction* paste = menu_->addAction(QStringLiteral("Вставить"), &clipboard, &CellClipboard::paste);
    paste->setShortcut(QKeySequence::Paste);
    for (QAction* action : {copy, paste})
        action->setShortcutContext(Qt::WidgetShortcut); // shown; the grid's own keys act
    connect(&grid, &GridWidget::copyRequested, &clipboard, &CellClipboard::copy);
    connect(&grid, &GridWidget::pasteRequested, &clipboard, &CellClipboard::paste);
    connect(&grid, &GridWidget::contextMenuRequested, this, &ContextMenu::popup);
    // The cell box is open after every click: its right press is the grid's.
    boxEdit.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&boxEdit, &QWidget::customContextMenuRequested, this,
        [this, &boxEdit](const QPoint& at) { popup(boxEdit.mapToGlobal(at)); });
}

void ContextMenu::popup(const QPoint& globalPos)
{
    cellBox_.settle();
    menu_->popup(globalPos);
}
