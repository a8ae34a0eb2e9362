#pragma once

#include "grid/PackedRow.h"

#include <QtGlobal>
#include <cstring>
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
//
// A snapshot shares the blocks rather than copying them, for a reader on
// another thread (a work log writing its start): a block a snapshot
// holds is never written over, its rows change by being written anew
// elsewhere, and it is freed only once the snapshot lets it go. It costs the
// row table, eight bytes a row.
class RowStore {
    struct Ref {
        quint32 block;
        quint32 offset;
    };

public:
    class Snapshot {
    public:
        size_t size() const { return refs_.size(); }
        RowView row(size_t index) const { return view(blocks_, refs_[index]); }

    private:
        friend class RowStore;
        std::vector<Ref> refs_;
        std::vector<std::shared_ptr<const char[]>> blocks_; // by the store's slots
    };
    Snapshot snapshot() const;

    size_t size() const { return refs_.size(); }
    RowView row(size_t index) const { return view(refs_[index]); }
    qsizetype liveBytes() const { return live_; }
    void set(size_t index, RowView row);
    // New rows are empty; dropped rows go from the end.
    void resize(size_t count);
    void insert(size_t index, RowView row);
    void append(RowView row) { refs_.push_back(place(row)); }
    void erase(size_t index);
    // Rows from `first` on take the rows that order names, counted from `first`.
    void permute(size_t first, const std::vector<quint32>& order);

private:
    static constexpr quint32 noBlock = 0xffffffff; // an empty row takes no bytes
    static constexpr qsizetype blockSize = 1 << 20;
    // A row this long gets a block of its own rather than most of a shared one.
    static constexpr qsizetype ownBlockFrom = blockSize / 4;
    // Waste below this is never worth a copy of the rows.
    static constexpr qsizetype tolerableWaste = 8 * blockSize;
    struct Block {
        std::shared_ptr<char[]> bytes; // shared with snapshots, read only while they hold it
        qsizetype capacity = 0;
        qsizetype used = 0;
        qsizetype live = 0;
    };

    template<typename Blocks> static RowView view(const Blocks& blocks, Ref ref)
    {
        if (ref.block == noBlock)
            return {};
        const char* at = blockBytes(blocks[ref.block]) + ref.offset;
        quint32 header = 0;
        std::memcpy(&header, at, 4);
        return {at + 4, qsizetype(header >> 1), (header & 1) != 0};
    }
    static const char* blockBytes(const std::shared_ptr<const char[]>& bytes) { return bytes.get(); }
    static const char* blockBytes(const Block& block) { return block.bytes.get(); }
    RowView view(Ref ref) const { return view(blocks_, ref); }
    static qsizetype recordSize(qsizetype rowBytes);
    static void writeRecord(char* at, RowView row);
    Ref place(RowView row);
    quint32 newBlock(qsizetype capacity);
    void release(Ref ref);
    void freeBlock(quint32 slot);
    void compactIfWasteful()
    {
        if (waste_ > live_ && waste_ >= tolerableWaste)
            compact();
    }
    void compact();

    std::vector<Ref> refs_;
    std::vector<Block> blocks_;
    std::vector<quint32> freeSlots_;
    quint32 tail_ = noBlock;
    qsizetype live_ = 0;
    qsizetype waste_ = 0;
};
