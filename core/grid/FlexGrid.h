#pragma once

#include "grid/GenericOrder.h"
#include "grid/GridGeometry.h"
#include "grid/GridModel.h"

#include <QFont>
#include <QObject>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// The register grid as the window shows it, MSFGAZ: a view over a GridModel.
// It holds what is shown and where the user stands in it: which entries are
// shown and in what order (all of them, in the model's order, unless a
// filter shows some), the current cell and the selection, scrolling, the
// grid's place and size in its window, and the user's presses. Its rows are
// the rows shown, row 0 the header; modelRow and viewRow map between the
// two. GridWidget draws it and turns the mouse and the focus into its events.
//
// The grid's operations read and write the cells of the rows shown, through
// to the model; what is written at the end of the model is shown, filter or
// not. What must reach every entry, shown or not (saving, the work log,
// the blocking pass), works on the model itself.
//
// LeaveCell is raised before every change of the current cell made through
// setRow/setCol or by the user. Changes of shape keep the current cell
// inside the grid without raising it, so a pending edit survives them.
// Indices out of range are refused: getters answer empty, setters return
// false and change nothing.
class FlexGrid : public QObject, private GridModel::TextsWatcher {
    Q_OBJECT
public:
    static constexpr int FixedRows = GridModel::FixedRows;
    static constexpr int defaultColWidth = GridModel::defaultColWidth;
    static constexpr int maxRows = GridModel::maxRows;
    static constexpr int maxCols = GridModel::maxCols;
    static constexpr int textMargin = GridModel::textMargin;

    // A grid with a model of its own.
    explicit FlexGrid(QObject* parent = nullptr);
    explicit FlexGrid(GridModel& model, QObject* parent = nullptr);
    ~FlexGrid() override;

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    // What is shown: the model's entry rows given (ascending), or all.
    void showRows(std::vector<quint32> modelRows);
    void showAll();
    bool filtered() const { return shown_.has_value(); }
    // The model's row shown as row, and the row a model row is shown as;
    // -1 where there is none.
    int modelRow(int row) const
    {
        if (row < 0 || row >= Rows())
            return -1;
        return !shown_ || row < FixedRows ? row : int((*shown_)[size_t(row - FixedRows)]);
    }
    int viewRow(int modelRow) const;

    // Shape. Counts include the header row; growing appends empty rows or
    // columns at the end, shrinking drops them from the end. Past maxRows or
    // maxCols the grid refuses and changes nothing.
    int Rows() const { return shown_ ? FixedRows + int(shown_->size()) : model_.Rows(); }
    bool setRows(int count);
    int Cols() const { return model_.Cols(); }
    bool RemoveItem(int row);
    // Puts a row back before the row shown as row (after the last at Rows()).
    bool insertRow(int row, const PackedRow& cells);
    PackedRow rowCells(int row) const { return model_.rowCells(modelRow(row)); }

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
    QString Text() const { return TextMatrix(row_, col_); }
    void setText(const QString& text) { setTextMatrix(row_, col_, text); }
    QString TextMatrix(int row, int col) const { return cellText(row, col).toString(); }
    // The text as held, without a copy: valid until the grid changes.
    CellText cellText(int row, int col) const { return model_.cellText(modelRow(row), col); }
    // A row's cells as held, without a copy: valid until the grid changes.
    RowView rowView(int row) const { return model_.rowView(modelRow(row)); }
    bool setTextMatrix(int row, int col, CellText text) { return model_.setTextMatrix(modelRow(row), col, text); }
    bool setRowCells(int row, const PackedRow& cells) { return model_.setRowCells(modelRow(row), cells); }
    // The captions (GridModel::setFormatString), measured in the grid's font.
    void setFormatString(const QString& format);
    Qt::Alignment ColAlignment(int col) const { return model_.ColAlignment(col); }

    // Generic ascending sort (mode 1), in GenericOrder's order. Keys are
    // columns Col..ColSel; with Row equal to RowSel, or while a filter is on,
    // every entry is sorted, shown or not. Answers the first sorted model
    // row and the order applied (GridModel::permuteRows); an empty order
    // when nothing was sorted.
    std::pair<int, std::vector<quint32>> setSort(int mode);

    // Sizes in twips. Every entry row has one height, the header its own.
    int ColWidth(int col) const { return model_.ColWidth(col); }
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
    // The view painted what it was told of: the next change tells again.
    void contentNoted() { contentPending_ = false; }

signals:
    void LeaveCell();
    void MouseUp();
    void Click();
    void GotFocus();

    // Texts, selection or scrolling: repaint. Once until contentNoted, so
    // that a change a row at a time asks for one repaint.
    void contentChanged();
    void placeChanged(); // position, size, visibility or column widths
    void refreshRequested();
    void shownChanged(); // which entries are shown

private:
    bool validCell(int row, int col) const;
    bool changeCurrentCell(int row, int col);
    void keepInside();
    void connectModel();
    // The model changed: what is shown follows.
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void rowsPermuted(int first, const std::vector<quint32>& order);
    // Shown rows changed under the current cell: it stays on its entry where
    // that is still shown.
    void placeCurrentOn(int modelRowOfCurrent, int modelRowOfSel);
    void textsChanged() override { noteContent(); }
    void noteContent()
    {
        if (!std::exchange(contentPending_, true))
            emit contentChanged();
    }

    std::unique_ptr<GridModel> own_;
    GridModel& model_;
    std::optional<std::vector<quint32>> shown_; // model rows, ascending; none: all
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
    bool contentPending_ = false;
};
