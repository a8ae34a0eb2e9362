#pragma once

#include "storage/HistorySearch.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

// What «История ЭКЛЗ» found, as a table for Qt's own table view (and so
// for a screen reader): the file (an archive's name, or «текущий журнал»),
// the row, and the entry's seven cells, newest file first.
class UnitHistoryTable : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        int source = 0; // which file, in the order searched
        HistorySearch::Hit hit;
    };

    explicit UnitHistoryTable(QObject* parent = nullptr);

    void setRows(QStringList sources, std::vector<Row> rows);
    const Row& rowAt(int index) const { return rows_[size_t(index)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList sources_;
    std::vector<Row> rows_;
};
