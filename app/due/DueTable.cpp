#include "app/due/DueTable.h"

#include "due/DueReport.h"

#include <QBrush>
#include <QPalette>

namespace {

constexpr int leading = 4; // the date, the state, the file and the row, before the cells

} // namespace

DueTable::DueTable(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void DueTable::setEntries(QStringList sources, std::vector<DueList::Entry> entries, QDate today)
{
    beginResetModel();
    sources_ = std::move(sources);
    entries_ = std::move(entries);
    today_ = today;
    endResetModel();
}

QStringList DueTable::headers()
{
    return QStringList {QStringLiteral("Дата блокировки"), QStringLiteral("Состояние"), QStringLiteral("Файл"),
               QStringLiteral("Строка")} +
           DueReport::captions();
}

QStringList DueTable::texts(int row) const
{
    const DueList::Entry& entry = entries_[size_t(row)];
    QString state = DueList::stateOn(entry.blocking, today_);
    if (entry.replaced)
        state += QStringLiteral(", заменена");
    return QStringList {entry.blocking.toString(QStringLiteral("dd.MM.yyyy")), state, sources_.value(entry.source),
               QString::number(entry.row)} +
           entry.cells;
}

int DueTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int DueTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : leading + RegisterLayout::savedColumns;
}

QVariant DueTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::ForegroundRole && entries_[size_t(index.row())].replaced)
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    return texts(index.row()).value(index.column());
}

QVariant DueTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return headers().value(section);
}
