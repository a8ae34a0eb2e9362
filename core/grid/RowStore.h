#pragma once

#include "grid/PackedRow.h"

#include <QtGlobal>
#include <memory>
#include <vector>

// The grid's rows, each packed (see PackedRow) and laid one after another
// into blocks of a megabyte: a register of a million entries costs its
// bytes and eight more a row, instead of an allocation per row.
//
// A changed row is written anew at the end of the last block, unless it
// fits where it was; the old place is waste. A block all waste is freed, so
// a pass over the rows in order, such as the blocking pass after a load,
// leaves hardly any. When waste outgrows what is live, the rows are copied
// together again.
class RowStore
{
public:
    size_t size() const { return refs_.size(); }
    RowView row(size_t index) const { return view(refs_[index]); }
    void set(size_t index, RowView row);
    // New rows are empty; dropped rows go from the end.
    void resize(size_t count);
    void insert(size_t index, RowView row);
    void erase(size_t index);
    // Rows from `first` on take the rows that order names, counted from `first`.
    void permute(size_t first, const std::vector<quint32>& order);

private:
    struct Ref
    {
        quint32 block;
        quint32 offset;
    };
    static constexpr quint32 noBlock = 0xffffffff; // an empty row takes no bytes
    struct Block
    {
        std::unique_ptr<char[]> bytes;
        qsizetype capacity = 0;
        qsizetype used = 0;
        qsizetype live = 0;
    };

    RowView view(Ref ref) const;
    static qsizetype recordSize(qsizetype rowBytes);
    static void writeRecord(char* at, RowView row);
    Ref place(RowView row);
    quint32 newBlock(qsizetype capacity);
    void release(Ref ref);
    void freeBlock(quint32 slot);
    void compactIfWasteful();

    std::vector<Ref> refs_;
    std::vector<Block> blocks_;
    std::vector<quint32> freeSlots_;
    quint32 tail_ = noBlock;
    qsizetype live_ = 0;
    qsizetype waste_ = 0;
};
