#include "editing/GridCommands.h"

#include "editing/GridOperations.h"
#include "grid/FlexGrid.h"
#include "register/RegisterLayout.h"

#include <utility>

namespace {

QString rowText(const char* what, int row)
{
    return QString::fromUtf8(what) + u' ' + QString::number(row);
}

// An entry as the user finds it again whatever is shown or sorted by then:
// by its serial number; one without is named by the row it is shown in.
QString entryText(const FlexGrid& grid, int row)
{
    const GridModel& model = grid.model();
    const QString serial =
        model.cellText(grid.modelRow(row), model.columnWithKey(RegisterLayout::serialColumn)).toString().trimmed();
    return serial.isEmpty() ? QStringLiteral("строки %1").arg(row) : QStringLiteral("записи %1").arg(serial);
}

} // namespace

namespace {

int modelRowOf(const FlexGrid& grid, int row)
{
    return row >= grid.Rows() ? grid.model().Rows() : grid.modelRow(row);
}

} // namespace

GridCommand::GridCommand(FlexGrid& grid, int row, int col, const QString& text)
    : QUndoCommand(text)
    , grid_(grid)
    , model_(grid.model())
    , row_(modelRowOf(grid, row))
    , col_(col)
{
}

void GridCommand::forget()
{
    release();
    forgotten_ = true;
}

void GridCommand::redo()
{
    if (forgotten_)
        return;
    apply();
    // The first redo is the operation itself, which places the current cell.
    if (done_)
        showPlace();
    done_ = true;
}

void GridCommand::undo()
{
    if (forgotten_)
        return;
    revert();
    showPlace();
}

void GridCommand::showPlace()
{
    const int shown = grid_.viewRow(std::clamp(row_, 0, model_.Rows() - 1));
    const int row = shown >= 0 ? shown : grid_.Row();
    const int col = std::clamp(col_, 0, model_.Cols() - 1);
    grid_.setRow(row);
    grid_.setCol(col);
    grid_.scrollIntoView(row, col);
}

SetCellCommand::SetCellCommand(
    FlexGrid& grid, int row, int col, QString text, Control control, std::optional<Derived> derived)
    : GridCommand(
          grid, row, col, QStringLiteral("изменение ячейки %1, колонка %2").arg(entryText(grid, row)).arg(col + 1))
    , before_(grid.TextMatrix(row, col))
    , after_(std::move(text))
    , control_(control)
{
    if (derived)
        derived_ = Change {derived->col, grid.TextMatrix(row, derived->col), std::move(derived->text)};
}

qsizetype SetCellCommand::bytes() const
{
    const qsizetype derived = derived_ ? derived_->before.size() + derived_->after.size() : 0;
    return 2 * (before_.size() + after_.size() + derived);
}

void SetCellCommand::release()
{
    before_ = after_ = QString();
    derived_.reset();
}

int SetCellCommand::id() const
{
    return control_ == Control::InputLine ? 1 : -1;
}

bool SetCellCommand::mergeWith(const QUndoCommand* other)
{
    const auto* copy = static_cast<const SetCellCommand*>(other);
    if (copy->row_ != row_ || copy->col_ != col_)
        return false;
    after_ = copy->after_;
    // What the cell brought with it: from before the first copy to after the last.
    if (derived_ && copy->derived_)
        derived_->after = copy->derived_->after;
    else if (copy->derived_)
        derived_ = copy->derived_;
    return true;
}

void SetCellCommand::apply()
{
    model_.setTextMatrix(row_, col_, after_);
    if (derived_)
        model_.setTextMatrix(row_, derived_->col, derived_->after);
}

void SetCellCommand::revert()
{
    if (derived_)
        model_.setTextMatrix(row_, derived_->col, derived_->before);
    model_.setTextMatrix(row_, col_, before_);
}

AddRowCommand::AddRowCommand(FlexGrid& grid)
    : GridCommand(grid, grid.Rows(), grid.Col(), rowText("добавление строки", grid.Rows()))
{
}

void AddRowCommand::apply()
{
    setObsolete(!GridOperations::addRow(grid_)); // the grid is full
}

void AddRowCommand::revert()
{
    model_.setRows(model_.Rows() - 1);
}

DeleteRowCommand::DeleteRowCommand(FlexGrid& grid, int row)
    : GridCommand(grid, row, grid.Col(), QStringLiteral("удаление %1").arg(entryText(grid, row)))
{
}

void DeleteRowCommand::apply()
{
    cells_ = model_.rowCells(row_);
    setObsolete(!model_.RemoveItem(row_)); // the header or the last entry
}

void DeleteRowCommand::revert()
{
    model_.insertRow(row_, cells_);
    cells_ = PackedRow();
}

InsertColumnCommand::InsertColumnCommand(FlexGrid& grid)
    : GridCommand(grid, grid.Row(), grid.Col(), QStringLiteral("добавление колонки %1").arg(grid.Col() + 1))
{
}

void InsertColumnCommand::apply()
{
    setObsolete(!GridOperations::insertColumn(grid_, col_)); // the grid is full
}

void InsertColumnCommand::revert()
{
    model_.setColPosition(col_, model_.Cols() - 1);
    model_.setCols(model_.Cols() - 1);
}

DeleteColumnCommand::DeleteColumnCommand(FlexGrid& grid)
    : GridCommand(grid, grid.Row(), grid.Cols() - 1, QStringLiteral("удаление колонки %1").arg(grid.Cols()))
{
}

void DeleteColumnCommand::apply()
{
    cells_ = PackedRow();
    for (int r = 0; r < model_.Rows(); ++r)
        cells_.append(model_.cellText(r, col_));
    width_ = model_.ColWidth(col_);
    alignment_ = model_.ColAlignment(col_);
    key_ = model_.columnKey(col_);
    setObsolete(!GridOperations::deleteLastColumn(grid_)); // the only column stays
}

void DeleteColumnCommand::revert()
{
    model_.setCols(col_ + 1);
    // One walk along the kept cells: looking each up from the start would
    // cost a pass over the column for every row.
    const RowView cells = cells_.view();
    qsizetype pos = 0;
    for (int r = 0; r < model_.Rows() && pos < cells.size(); ++r) {
        const RowView::Span span = cells.spanAt(pos);
        model_.setTextMatrix(r, col_, cells.textOf(span));
        pos = span.end;
    }
    model_.setColWidth(col_, width_);
    model_.setColAlignment(col_, alignment_);
    model_.setColumnKey(col_, key_);
    cells_ = PackedRow();
}

MoveColumnCommand::MoveColumnCommand(FlexGrid& grid)
    : GridCommand(grid, grid.Row(), grid.Col(), QStringLiteral("перемещение колонки"))
{
}

void MoveColumnCommand::apply()
{
    setObsolete(!GridOperations::moveLastColumn(grid_, col_)); // already the last
}

void MoveColumnCommand::revert()
{
    model_.setColPosition(col_, model_.Cols() - 1);
}

SortCommand::SortCommand(FlexGrid& grid, int col, QString headerFormat)
    : GridCommand(grid, 0, col, QStringLiteral("сортировка по колонке %1").arg(col + 1))
    , headerFormat_(std::move(headerFormat))
{
}

void SortCommand::apply()
{
    header_ = model_.rowCells(0);
    widths_.clear();
    alignments_.clear();
    for (int c = 0; c < model_.Cols(); ++c) {
        widths_.push_back(model_.ColWidth(c));
        alignments_.push_back(model_.ColAlignment(c));
    }
    if (order_.empty()) {
        std::tie(first_, order_) = GridOperations::sortByColumn(grid_, col_, headerFormat_);
        return;
    }
    model_.permuteRows(first_, order_);
    grid_.setFormatString(headerFormat_);
}

void SortCommand::revert()
{
    std::vector<quint32> inverse(order_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        inverse[order_[i]] = static_cast<quint32>(i);
    model_.permuteRows(first_, inverse);
    model_.setCols(static_cast<int>(widths_.size()));
    model_.setRowCells(0, header_);
    for (int c = 0; c < model_.Cols(); ++c) {
        model_.setColWidth(c, widths_[static_cast<size_t>(c)]);
        model_.setColAlignment(c, alignments_[static_cast<size_t>(c)]);
    }
}

qsizetype SortCommand::bytes() const
{
    return qsizetype(order_.size() * sizeof(quint32)) + header_.view().size();
}

void SortCommand::release()
{
    order_ = {};
    header_ = PackedRow();
}

CellsCommand::CellsCommand(FlexGrid& grid, const QString& text, bool followsStep)
    : GridCommand(grid, grid.Row(), grid.Col(), text)
    , followsStep_(followsStep)
{
}

void CellsCommand::addedShape(int rows, int cols)
{
    rowsAdded_ = rows;
    colsAdded_ = cols;
}

void CellsCommand::add(int row, int col, CellText before, CellText after)
{
    places_.push_back({row, col});
    before_.append(before);
    after_.append(after);
}

qsizetype CellsCommand::bytes() const
{
    return qsizetype(places_.size() * sizeof(Place)) + before_.view().size() + after_.view().size();
}

void CellsCommand::write(const PackedRow& texts)
{
    const RowView cells = texts.view();
    qsizetype pos = 0;
    for (const Place& place : places_) {
        const RowView::Span span = cells.spanAt(pos);
        model_.setTextMatrix(place.row, place.col, cells.textOf(span));
        pos = span.end;
    }
}

void CellsCommand::apply()
{
    // Pushed after the cells were written: the first redo has nothing to do.
    if (std::exchange(applied_, false))
        return;
    model_.setRows(model_.Rows() + rowsAdded_);
    model_.setCols(model_.Cols() + colsAdded_);
    write(after_);
}

void CellsCommand::revert()
{
    write(before_);
    model_.setRows(model_.Rows() - rowsAdded_);
    model_.setCols(model_.Cols() - colsAdded_);
}

void CellsCommand::release()
{
    places_ = {};
    before_ = after_ = PackedRow();
}
