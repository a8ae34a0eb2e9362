#include "app/GridMenu.h"

#include "app/EditHistory.h"
#include "app/GridClipboard.h"
#include "ui/CellOverlay.h"
#include "ui/GridWidget.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

GridMenu::GridMenu(QWidget& window, GridWidget& grid, QLineEdit& cellBox, EditHistory& history,
                   GridClipboard& clipboard, CellOverlay& overlay)
    : menu_(new QMenu(&window))
    , overlay_(overlay)
{
    menu_->addAction(history.undoAction());
    menu_->addAction(history.redoAction());
    menu_->addSeparator();
    QAction* copy = menu_->addAction(QStringLiteral("Копировать"), &clipboard, &GridClipboard::copy);
    copy->setShortcut(QKeySequence::Copy);
    QAction* paste = menu_->addAction(QStringLiteral("Вставить"), &clipboard, &GridClipboard::paste);
    paste->setShortcut(QKeySequence::Paste);
    for (QAction* action : {copy, paste})
        action->setShortcutContext(Qt::WidgetShortcut); // shown; the grid's own keys act
    connect(&grid, &GridWidget::copyRequested, &clipboard, &GridClipboard::copy);
    connect(&grid, &GridWidget::pasteRequested, &clipboard, &GridClipboard::paste);
    connect(&grid, &GridWidget::contextMenuRequested, this, &GridMenu::popup);
    // The cell box is open after every click: its right press is the grid's.
    cellBox.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&cellBox, &QWidget::customContextMenuRequested, this,
            [this, &cellBox](const QPoint& at) { popup(cellBox.mapToGlobal(at)); });
}

void GridMenu::popup(const QPoint& globalPos)
{
    overlay_.settle();
    menu_->popup(globalPos);
}
