#include "app/unithistory/UnitHistoryTable.h"

#include "register/RegisterLayout.h"

namespace {

constexpr int leading = 2; // the file and the row, before the entry's cells

QStringList captions()
{
    QStringList names;
    for (const QString& caption : RegisterLayout::headerFormat.toString().split(u'|'))
        names << caption.mid(1).trimmed(); // without "^"
    return names;
}

} // namespace

UnitHistoryTable::UnitHistoryTable(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void UnitHistoryTable::setRows(QStringList sources, std::vector<Row> rows)
{
    beginResetModel();
    sources_ = std::move(sources);
    rows_ = std::move(rows);
    endResetModel();
}

int UnitHistoryTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int UnitHistoryTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : leading + RegisterLayout::savedColumns;
}

QVariant UnitHistoryTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const Row& row = rows_[size_t(index.row())];
    if (index.column() == 0)
        return sources_.value(row.source);
    if (index.column() == 1)
        return row.hit.row;
    return row.hit.cells.value(index.column() - leading);
}

QVariant UnitHistoryTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section == 0)
        return QStringLiteral("Файл");
    if (section == 1)
        return QStringLiteral("Строка");
    return captions().value(section - leading);
}
