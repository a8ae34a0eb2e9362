#pragma once

#include "due/DueList.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QStringList>
#include <vector>

// The units «Сроки блокировки» lists, as a table for Qt's own table view
// (and so for a screen reader): the blocking date, «заблокирована» or
// «через N дн.», the file, the row and the entry's seven cells, soonest
// first. A replaced unit says so after its state and is shown in grey.
class DueTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DueTable(QObject* parent = nullptr);

    void setEntries(QStringList sources, std::vector<DueList::Entry> entries, QDate today);
    const DueList::Entry& entryAt(int row) const { return entries_[size_t(row)]; }
    // A row's texts, as shown and printed.
    QStringList texts(int row) const;
    static QStringList headers();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList sources_;
    std::vector<DueList::Entry> entries_;
    QDate today_;
};
