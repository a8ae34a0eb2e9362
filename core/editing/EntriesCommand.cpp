#include "editing/EntriesCommand.h"

#include "grid/FlexGrid.h"

EntriesCommand::EntriesCommand(FlexGrid& grid, const QString& text, Entries entries)
    : GridCommand(grid, grid.Row(), grid.Col(), text)
    , entriesBefore_(grid.model().Rows() - GridModel::FixedRows)
    , entriesAfter_(int(entries.rows.size()))
{
    const int first = GridModel::FixedRows;
    std::vector<bool> kept(size_t(entriesBefore_), false);
    order_.reserve(size_t(entriesBefore_) + entries.rows.size());
    bool moved = false;
    auto cells = entries.cells.begin();
    for (size_t at = 0; at < entries.rows.size(); ++at) {
        const int row = entries.rows[at];
        const bool newCells = cells != entries.cells.end() && cells->first == at;
        quint32 from = 0;
        if (row >= first) {
            from = quint32(row - first);
            kept[from] = true;
            if (newCells)
                changed_.push_back({row, model_.rowCells(row), std::move(cells->second)});
        } else {
            from = quint32(entriesBefore_ + int(added_.size()));
            added_.push_back(newCells ? std::move(cells->second) : PackedRow());
        }
        if (newCells)
            ++cells;
        moved = moved || from != order_.size();
        order_.push_back(from);
    }
    for (int row = 0; row < entriesBefore_; ++row) {
        if (kept[size_t(row)])
            continue;
        moved = moved || quint32(row) != order_.size();
        order_.push_back(quint32(row));
        deleted_.push_back(model_.rowCells(row + first));
    }
    if (!moved)
        order_.clear();
}

void EntriesCommand::apply()
{
    const int first = GridModel::FixedRows;
    model_.setRows(first + entriesBefore_ + int(added_.size()));
    for (size_t i = 0; i < added_.size(); ++i)
        model_.setRowCells(first + entriesBefore_ + int(i), added_[i]);
    for (const Changed& entry : changed_)
        model_.setRowCells(entry.row, entry.after);
    if (!order_.empty())
        model_.permuteRows(first, order_);
    model_.setRows(first + entriesAfter_);
}

void EntriesCommand::revert()
{
    const int first = GridModel::FixedRows;
    model_.setRows(first + entriesAfter_ + int(deleted_.size()));
    for (size_t i = 0; i < deleted_.size(); ++i)
        model_.setRowCells(first + entriesAfter_ + int(i), deleted_[i]);
    if (!order_.empty()) {
        std::vector<quint32> inverse(order_.size());
        for (size_t i = 0; i < order_.size(); ++i)
            inverse[order_[i]] = quint32(i);
        model_.permuteRows(first, inverse);
    }
    for (const Changed& entry : changed_)
        model_.setRowCells(entry.row, entry.before);
    model_.setRows(first + entriesBefore_);
}

qsizetype EntriesCommand::bytes() const
{
    qsizetype total = qsizetype(order_.size() * sizeof(quint32));
    for (const PackedRow& row : added_)
        total += row.view().size();
    for (const PackedRow& row : deleted_)
        total += row.view().size();
    for (const Changed& entry : changed_)
        total += entry.before.view().size() + entry.after.view().size();
    return total;
}

void EntriesCommand::release()
{
    added_ = {};
    changed_ = {};
    deleted_ = {};
    order_ = {};
}
