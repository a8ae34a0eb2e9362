#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

class CellBox;
class Desktop;
class UndoSteps;
class FlexGrid;
class QLineEdit;

// The grid's clipboard: the selected cells copied as tab-separated lines (and
// as CSV), and tab- or semicolon-separated text pasted from a cell shown
// rightwards and downwards, line by line onto the entries shown, as one step
// to undo; rows go on at the end of the register where the text runs past
// the last one shown, and columns where it is wider than the grid. A text
// the file could not hold, or one larger than the grid holds, is refused
// whole with a message, before anything changes.
class CellClipboard : public QObject {
    Q_OBJECT
public:
    CellClipboard(FlexGrid& grid, Desktop& desktop, UndoSteps& undo, CellBox& cellBox);

    void copy();
    // The clipboard's text, from the current cell.
    void paste();
    // text from the cell (row, col) shown.
    void pasteText(const QString& text, int row, int col);
    // Whether a text is several cells (a tab, a ';' or a line break in it),
    // which the cell box and the input line paste into the grid rather than
    // into one cell.
    static bool holdsCells(const QString& text);

    // In the cell box, Ctrl+C with no text selected copies the grid's cells,
    // and Ctrl+V of several cells pastes them from the box's cell; in the
    // input line, Ctrl+V of several cells pastes them from the current cell.
    void watchCellBox(QLineEdit& box);
    void watchInputLine(QLineEdit& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool refused(const QList<QStringList>& cells, int top, int left);

    FlexGrid& grid_;
    Desktop& desktop_;
    UndoSteps& undo_;
    CellBox& cellBox_;
    QLineEdit* boxEdit_ = nullptr;
    QLineEdit* inputLine_ = nullptr;
};
