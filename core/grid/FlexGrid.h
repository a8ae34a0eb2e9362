#pragma once

#include "grid/GenericOrder.h"
#include "grid/GridChange.h"
#include "grid/GridGeometry.h"
#include "grid/GridSnapshot.h"
#include "grid/RowStore.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <vector>

// The register grid as the rest of the program sees it: rows and columns of
// plain texts, a current cell with a selection, a header row and the geometry of
// the cells in twips. It owns all state, the geometry in a GridGeometry of its
// own; GridWidget only draws it and turns the mouse and the focus into the
// events below.
//
// Row 0 is the one fixed (header) row; there is no fixed column. Indices out of
// range are refused: getters answer empty, setters return false and change
// nothing.
//
// LeaveCell is raised before every change of the current cell made through
// setRow/setCol or by the user. Changes of shape (Rows, Cols, AddItem,
// RemoveItem, ColPosition) keep the current cell inside the grid without
// raising it, so a pending edit survives them.
class FlexGrid : public QObject
{
    Q_OBJECT
public:
    static constexpr int FixedRows = GridGeometry::fixedRows;
    static constexpr int defaultColWidth = GridGeometry::defaultColWidth;
    static constexpr int textMargin = 45; // between a cell's border and its text
    // The most rows (the header included) and columns a grid holds, and so
    // what a work journal replays: anything past them is refused before
    // the grid changes, so that no change the grid made can spoil the
    // journal that keeps it.
    static constexpr int maxRows = 16'000'000;
    static constexpr int maxCols = 32'767;

    explicit FlexGrid(QObject* parent = nullptr);

    // Shape. Counts include the header row; growing appends empty rows or
    // columns at the end, shrinking drops them from the end. Past maxRows or
    // maxCols the grid refuses and changes nothing.
    int Rows() const { return static_cast<int>(rows_.size()); }
    bool setRows(int count);
    int Cols() const { return geometry_.colCount(); }
    bool setCols(int count);
    bool AddItem(const QString& text);
    bool RemoveItem(int row);
    // Puts a row back where RemoveItem took it from.
    bool insertRow(int row, const PackedRow& cells);
    PackedRow rowCells(int row) const;
    bool setColPosition(int index, int position);

    // Current cell and the selection's opposite corner. Setting Row or Col
    // collapses the selection in that direction onto the current cell.
    int Row() const { return row_; }
    bool setRow(int row);
    int Col() const { return col_; }
    bool setCol(int col);
    int RowSel() const { return rowSel_; }
    bool setRowSel(int row);
    int ColSel() const { return colSel_; }
    bool setColSel(int col);

    // Texts.
    QString Text() const;
    void setText(const QString& text);
    QString TextMatrix(int row, int col) const;
    // The text as held, without a copy: valid until the grid changes.
    CellText cellText(int row, int col) const;
    // A row's cells as held, without a copy: valid until the grid changes.
    // A row never holds cells past Cols.
    RowView rowView(int row) const;
    bool setTextMatrix(int row, int col, CellText text);
    // Replaces a row's texts; cells past Cols are dropped.
    bool setRowCells(int row, const PackedRow& cells);
    // "^Caption|<Caption|>Caption": row 0's texts, the columns' alignment and
    // widths measured from the captions, trailing blanks included.
    void setFormatString(const QString& format);
    Qt::Alignment ColAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);

    // Generic ascending sort (mode 1), in GenericOrder's order, dates read
    // by the date reader when one is set. Keys are columns Col..ColSel; with
    // Row equal to RowSel every row below the header is sorted. Answers the
    // first sorted row and the order applied (see permuteRows); an empty
    // order when nothing was sorted.
    std::pair<int, std::vector<quint32>> setSort(int mode);
    void setDateReader(GenericOrder::DateReader reader) { dateReader_ = std::move(reader); }
    // Rows from `first` on take the rows that order names, counted from
    // `first`; inverse(order) puts them back.
    void permuteRows(int first, const std::vector<quint32>& order);

    // The contents as they are now, sharing the rows' bytes (see GridSnapshot).
    GridSnapshot snapshot() const;
    // What the rows' texts take, in bytes: about what a snapshot writes.
    qsizetype rowBytes() const { return rows_.liveBytes(); }

    // Bumped by every change of a text, of the rows or of the columns; a text
    // put over the same text is no change. Equal revisions mean an unchanged grid.
    quint64 revision() const { return revision_; }

    // Told of every change of the contents, the shape, the column widths and
    // alignments before it is made; null for none.
    void setRecorder(GridRecorder* recorder) { recorder_ = recorder; }

    // Sizes in twips.
    int ColWidth(int col) const { return geometry_.colWidth(col); }
    bool setColWidth(int col, int twips);
    int RowHeight(int row) const { return geometry_.rowHeight(row); }
    bool setRowHeight(int row, int twips);

    // Scrolling: the first non-fixed row and the first column on screen.
    int TopRow() const { return geometry_.topRow(); }
    void setTopRow(int row);
    int LeftCol() const { return geometry_.leftCol(); }
    void setLeftCol(int col);
    int maxTopRow() const { return geometry_.maxTopRow(); }
    int maxLeftCol() const { return geometry_.maxLeftCol(); }
    void scrollIntoView(int row, int col);

    // The cell under the pointer at the last mouse event, -1 when none.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // The current cell's rectangle relative to the grid, in twips. Reading it
    // scrolls the current cell into view first.
    QRect currentCellRect();
    int CellLeft() { return currentCellRect().left(); }
    int CellTop() { return currentCellRect().top(); }
    int CellWidth() { return currentCellRect().width(); }
    int CellHeight() { return currentCellRect().height(); }

    // Where the grid stands in its window, in twips. Negative sizes are refused.
    int Left() const { return place_.left(); }
    int Top() const { return place_.top(); }
    int Width() const { return place_.width(); }
    int Height() const { return place_.height(); }
    void move(int left, int top);
    bool setWidth(int twips);
    bool setHeight(int twips);
    bool Visible() const { return visible_; }
    void setVisible(bool visible);
    void Refresh();

    QFont font() const { return font_; }
    void setFont(const QFont& font);

    // What the widget reports: the scrolling area's size without scroll bars,
    // and what the user does with the mouse, the keys and the focus.
    void setViewportSize(int widthTwips, int heightTwips);
    int rowAt(int yTwips) const { return geometry_.rowAt(yTwips); }
    int colAt(int xTwips) const { return geometry_.colAt(xTwips); }
    int rowTop(int row) const { return geometry_.rowTop(row); }
    int colLeft(int col) const { return geometry_.colLeft(col); }
    void userPress(int row, int col);
    void userDrag(int row, int col);
    void userRelease(int row, int col);
    void userMoveTo(int row, int col);
    void userFocusIn();

signals:
    void LeaveCell();
    void MouseUp();
    void Click();
    void GotFocus();

    void contentChanged(); // texts, selection or scrolling: repaint
    void placeChanged();   // position, size, visibility or column widths
    void refreshRequested();

private:
    bool validCell(int row, int col) const;
    bool changeCurrentCell(int row, int col);
    void keepInside();
    int measuredWidth(const QString& caption) const;
    bool storeCell(int row, int col, CellText text);
    void replaceCell(int row, int col, CellText text);
    void note(const GridChange& change)
    {
        if (recorder_)
            recorder_->record(change);
    }
    void storeRow(int row, const PackedRow& cells);

    RowStore rows_;
    PackedRow edited_; // where a row is edited, its room kept from row to row
    std::vector<Qt::Alignment> alignments_;
    GridGeometry geometry_;
    int row_ = 1;
    int col_ = 0;
    int rowSel_ = 1;
    int colSel_ = 0;
    int mouseRow_ = -1;
    int mouseCol_ = -1;
    QRect place_;
    bool visible_ = true;
    QFont font_;
    GenericOrder::DateReader dateReader_;
    quint64 revision_ = 0;
    GridRecorder* recorder_ = nullptr;
};
