#include "grid/RowStore.h"

#include <cstring>

// A record: the row's size in bytes shifted left once with its wide flag in
// the low bit, in 32 bits, then the row, padded to four bytes so that every
// record, and so every wide row's text, stays aligned.
qsizetype RowStore::recordSize(qsizetype rowBytes)
{
    return 4 + ((rowBytes + 3) & ~qsizetype(3));
}

void RowStore::writeRecord(char* at, RowView row)
{
    const quint32 header = quint32(row.size() << 1) | (row.isWide() ? 1 : 0);
    std::memcpy(at, &header, 4);
    if (row.size() > 0)
        std::memmove(at + 4, row.data(), size_t(row.size()));
}

quint32 RowStore::newBlock(qsizetype capacity)
{
    quint32 slot = quint32(blocks_.size());
    if (freeSlots_.empty()) {
        blocks_.emplace_back();
    } else {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    }
    Block& block = blocks_[slot];
    block.bytes = std::shared_ptr<char[]>(new char[size_t(capacity)]);
    block.capacity = capacity;
    block.used = 0;
    block.live = 0;
    return slot;
}

RowStore::Ref RowStore::place(RowView row)
{
    if (row.size() == 0)
        return {noBlock, 0};
    const qsizetype size = recordSize(row.size());
    quint32 slot = tail_;
    if (size >= ownBlockFrom) {
        slot = newBlock(size);
    } else if (tail_ == noBlock || blocks_[tail_].capacity - blocks_[tail_].used < size) {
        const quint32 old = tail_;
        tail_ = slot = newBlock(blockSize);
        if (old != noBlock && blocks_[old].live == 0)
            freeBlock(old);
    }
    Block& block = blocks_[slot];
    const Ref ref {slot, quint32(block.used)};
    writeRecord(block.bytes.get() + block.used, row);
    block.used += size;
    block.live += size;
    live_ += size;
    return ref;
}

void RowStore::freeBlock(quint32 slot)
{
    Block& block = blocks_[slot];
    waste_ -= block.used - block.live;
    block = Block();
    freeSlots_.push_back(slot);
}

void RowStore::release(Ref ref)
{
    if (ref.block == noBlock)
        return;
    const qsizetype size = recordSize(view(ref).size());
    Block& block = blocks_[ref.block];
    block.live -= size;
    live_ -= size;
    waste_ += size;
    if (block.live == 0 && ref.block != tail_)
        freeBlock(ref.block);
}

void RowStore::compact()
{
    // Row by row in the grid's order; the old blocks go as they empty.
    RowStore compact;
    compact.refs_.reserve(refs_.size());
    for (const Ref ref : refs_) {
        compact.refs_.push_back(compact.place(view(ref)));
        release(ref);
    }
    *this = std::move(compact);
}

RowStore::Snapshot RowStore::snapshot() const
{
    Snapshot snapshot;
    snapshot.refs_ = refs_;
    snapshot.blocks_.reserve(blocks_.size());
    for (const Block& block : blocks_)
        snapshot.blocks_.push_back(block.bytes);
    return snapshot;
}

void RowStore::set(size_t index, RowView row)
{
    Ref& ref = refs_[index];
    // In place only where no snapshot reads the block.
    if (ref.block != noBlock && recordSize(view(ref).size()) == recordSize(row.size()) &&
        blocks_[ref.block].bytes.use_count() == 1) {
        writeRecord(blocks_[ref.block].bytes.get() + ref.offset, row);
        return;
    }
    const Ref old = ref;
    ref = place(row);
    release(old);
    compactIfWasteful();
}

void RowStore::resize(size_t count)
{
    for (size_t i = count; i < refs_.size(); ++i)
        release(refs_[i]);
    refs_.resize(count, Ref {noBlock, 0});
    compactIfWasteful();
}

void RowStore::insert(size_t index, RowView row)
{
    refs_.insert(refs_.begin() + qsizetype(index), place(row));
}

void RowStore::erase(size_t index)
{
    release(refs_[index]);
    refs_.erase(refs_.begin() + qsizetype(index));
    compactIfWasteful();
}

void RowStore::permute(size_t first, const std::vector<quint32>& order)
{
    // Cycle by cycle, without a second table of a million rows.
    std::vector<bool> placed(order.size());
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start] || order[start] == start)
            continue;
        const Ref held = refs_[first + start];
        size_t at = start;
        while (order[at] != start) {
            refs_[first + at] = refs_[first + order[at]];
            placed[at] = true;
            at = order[at];
        }
        refs_[first + at] = held;
        placed[at] = true;
    }
}
