#pragma once

#include "grid/GridSnapshot.h"
#include "register/RegisterLayout.h"
#include "storage/RegisterReader.h"

#include <QDate>
#include <QStringList>
#include <atomic>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

// Where the columns the blocking dates read stand: the file's places, or
// the grid's where its columns were moved.
struct DueColumns {
    int serial = RegisterLayout::serialColumn;
    int activation = RegisterLayout::activationColumn;
    int model = 4;
    int number = 5;
};

// One file's entries as the blocking dates weigh them: each entry's unit
// (its serial number, blanks around it ignored, case folded), its cash
// register (model and number, blanks ignored, case folded), its activation
// day and blocking date; and the seven cells of the entries that block
// within the period asked for, the only ones a list shows. The keys of a
// file share one buffer, so that twenty archives of 32,766 entries each
// take a few megabytes.
class DueRecords {
public:
    using Columns = DueColumns;
    static constexpr int noDate = INT_MIN;
    struct Record {
        int row = 0; // the grid's row, or the file's line
        int activationDay = noDate;
        QDate blocking; // invalid when the activation date does not read
        qsizetype serialAt = 0;
        qsizetype serialSize = 0; // 0: no serial number
        qsizetype cashAt = 0;
        qsizetype cashSize = 0; // 0: no cash register named (model or number empty)
        int kept = -1; // its cells, when it blocks within the period
    };

    DueRecords(QDate keepFrom, QDate keepTo, Columns columns = {});

    // Entries with every cell empty are no entries and are passed over.
    void add(int row, RowView cells);

    static DueRecords fromFile(
        const QString& path, QDate keepFrom, QDate keepTo, const std::atomic<bool>* stop = nullptr);
    // The grid's entries, rows 1 on; the seven cells are its first seven columns.
    static DueRecords fromGrid(const GridSnapshot& grid, Columns columns, QDate keepFrom, QDate keepTo);

    const std::vector<Record>& records() const { return records_; }
    std::u16string_view serial(const Record& record) const { return key(record.serialAt, record.serialSize); }
    std::u16string_view cash(const Record& record) const { return key(record.cashAt, record.cashSize); }
    const QStringList& cells(const Record& record) const { return kept_[size_t(record.kept)]; }
    RegisterReader::Status status() const { return status_; }

private:
    std::u16string_view key(qsizetype at, qsizetype size) const
    {
        return std::u16string_view(keys_).substr(size_t(at), size_t(size));
    }
    // Appends the cell's text, case folded, without the blanks that
    // dropAll says (all of them, or those around it); answers its size.
    qsizetype appendKey(const CellText& cell, bool dropAll);

    QDate keepFrom_;
    QDate keepTo_;
    Columns columns_;
    std::u16string keys_;
    std::vector<Record> records_;
    std::vector<QStringList> kept_;
    RegisterReader::Status status_ = RegisterReader::Status::Ok;
};
