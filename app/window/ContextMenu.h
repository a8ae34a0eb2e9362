#pragma once

#include <QObject>

class CellBox;
class UndoSteps;
class CellClipboard;
class GridWidget;
class QLineEdit;
class QMenu;
class QPoint;
class QWidget;

// The grid's context menu, on a right press, the menu key or Shift+F10 over
// the grid or over the open cell box: undo and redo naming their step, copy
// and paste, and what the window's other parts add. A pending edit becomes
// its step before the menu opens, so that the menu names the step its
// entries take.
class ContextMenu : public QObject {
    Q_OBJECT
public:
    ContextMenu(QWidget& window, GridWidget& grid, QLineEdit& boxEdit, UndoSteps& undo, CellClipboard& clipboard,
        CellBox& cellBox);

    QMenu& menu() { return *menu_; }

private:
    void popup(const QPoint& globalPos);

    QMenu* menu_ = nullptr;
    CellBox& cellBox_;
};
